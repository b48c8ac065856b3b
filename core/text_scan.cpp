#include "core/text_scan.h"

#include <charconv>
#include <climits>
#include <cstdio>
#include <locale.h>
#include <string>

static_assert(sizeof(long) == sizeof(int64_t), "scanLong saturates to a 64-bit long");

namespace {

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }

inline const char* skipScanSpace(const char* p, const char* end) {
    while (p < end && isScanSpace(*p)) ++p;
    return p;
}

// "%ld" without the library: the magnitude is gathered in 64 bits and
// saturated as strtol does.
inline bool scanDecimal(const char*& p, const char* end, int64_t& out) {
    const char* q = skipScanSpace(p, end);
    bool negative = false;
    if (q < end && (*q == '+' || *q == '-')) negative = (*q++ == '-');
    const char* digits = q;
    uint64_t magnitude = 0;
    bool overflow = false;
    for (; q < end && isDigit(*q); ++q) {
        if (magnitude > (UINT64_MAX - 9) / 10) overflow = true;
        if (!overflow) magnitude = magnitude * 10 + static_cast<uint64_t>(*q - '0');
    }
    p = q;
    if (q == digits) return false;
    constexpr uint64_t longMax = static_cast<uint64_t>(INT64_MAX);
    if (negative) {
        out = (overflow || magnitude > longMax + 1) ? INT64_MIN : static_cast<int64_t>(0 - magnitude);
    } else {
        out = (overflow || magnitude > longMax) ? INT64_MAX : static_cast<int64_t>(magnitude);
    }
    return true;
}

inline int32_t lowBits(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

// The C library's own "%f" on the rest of the text, in the C locale, for
// every form the fast path leaves aside (hexadecimal, inf, nan, a dangling
// exponent, out-of-range values, odd neighbours).
bool scanFloatByLibrary(const char*& p, const char* end, float& out) {
    std::string rest(p, static_cast<size_t>(end - p));
    float value = 0.0f;
    int used = 0;
    locale_t previous = uselocale(cNumericLocale());
    int converted = std::sscanf(rest.c_str(), "%f%n", &value, &used);
    uselocale(previous);
    if (converted != 1) return false;
    out = value;
    p += used;
    return true;
}

// The fast path takes a plain decimal number followed by white space or the
// end of the text; std::from_chars rounds exactly as strtof.
inline bool scanFloatFast(const char*& p, const char* end, float& out) {
    const char* q = skipScanSpace(p, end);
    bool negative = false;
    if (q < end && (*q == '+' || *q == '-')) negative = (*q++ == '-');
    const char* number = q;
    if (end - q >= 2 && q[0] == '0' && (q[1] == 'x' || q[1] == 'X')) {
        return scanFloatByLibrary(p, end, out);
    }
    int digitCount = 0;
    for (; q < end && isDigit(*q); ++q) ++digitCount;
    if (q < end && *q == '.') {
        for (++q; q < end && isDigit(*q); ++q) ++digitCount;
    }
    if (digitCount == 0) return scanFloatByLibrary(p, end, out);
    if (q < end && (*q == 'e' || *q == 'E')) {
        ++q;
        if (q < end && (*q == '+' || *q == '-')) ++q;
        const char* exponent = q;
        while (q < end && isDigit(*q)) ++q;
        if (q == exponent) return scanFloatByLibrary(p, end, out);
    }
    if (q < end && !isScanSpace(*q)) return scanFloatByLibrary(p, end, out);
    float value = 0.0f;
    std::from_chars_result parsed = std::from_chars(number, q, value, std::chars_format::general);
    if (parsed.ec != std::errc() || parsed.ptr != q) return scanFloatByLibrary(p, end, out);
    out = negative ? -value : value;
    p = q;
    return true;
}

}  // namespace

locale_t cNumericLocale() {
    // Made once, on first use, and kept for the whole run.
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

std::string_view scanWord(const char*& p, const char* end) {
    const char* start = skipScanSpace(p, end);
    const char* q = start;
    while (q < end && !isScanSpace(*q)) ++q;
    p = q;
    return {start, static_cast<size_t>(q - start)};
}

bool scanLong(const char*& p, const char* end, long& value) {
    int64_t read = 0;
    if (!scanDecimal(p, end, read)) return false;
    value = static_cast<long>(read);
    return true;
}

bool scanInt(const char*& p, const char* end, int32_t& value) {
    int64_t read = 0;
    if (!scanDecimal(p, end, read)) return false;
    value = lowBits(read);
    return true;
}

bool scanFloat(const char*& p, const char* end, float& value) {
    return scanFloatFast(p, end, value);
}

int scanInts(std::string_view line, int32_t* out, int count) {
    const char* p = line.data();
    const char* end = p + line.size();
    for (int k = 0; k < count; ++k) {
        int64_t read = 0;
        if (!scanDecimal(p, end, read)) return k;
        out[k] = lowBits(read);
    }
    return count;
}

int scanFloats(std::string_view line, float* out, int count) {
    const char* p = line.data();
    const char* end = p + line.size();
    for (int k = 0; k < count; ++k) {
        if (!scanFloatFast(p, end, out[k])) return k;
    }
    return count;
}
