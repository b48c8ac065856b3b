// Formatted-input scanning over a text held in memory, with the C library's
// scanf rules in the C locale: white space is skipped before every
// conversion, and a number is converted exactly as scanf converts it. Each
// scanner takes the position p (moved past what it reads) and the end of the
// text; a conversion that fails stores nothing.
#pragma once

#include <cstdint>
#include <string_view>
#include <locale.h>

// The C locale, for the C library's own conversions (uselocale around them).
locale_t cNumericLocale();

// White space as formatted input sees it in the C locale.
inline bool isScanSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// "%s": the next run of non-space bytes, empty when only white space is left.
std::string_view scanWord(const char*& p, const char* end);
// "%ld": optional sign and decimal digits, saturated to the range of long as
// strtol does. On failure p is left where scanf stops: past the white space
// and a lone sign.
bool scanLong(const char*& p, const char* end, long& value);
// "%d": scanLong's value narrowed to its low 32 bits, as the C library stores it.
bool scanInt(const char*& p, const char* end, int32_t& value);
// "%f": rounded to float exactly as strtof does, hexadecimal, inf and nan
// included. On failure p is left as it was.
bool scanFloat(const char*& p, const char* end, float& value);

// The conversions of "%d%d..." and "%f%f..." over one line. Return how many
// values were converted (stored in out[0 ..]); the scan stops at the first
// conversion that fails, leaving the rest of `out` as it was.
int scanInts(std::string_view line, int32_t* out, int count);
int scanFloats(std::string_view line, float* out, int count);
