// The digits come from {fmt}'s Dragonbox and the notation is laid out here
// by the rules of std::to_chars: the library's own std::to_chars (Ryu) took
// 53 ms for a million model coordinates where this takes 41 ms
// (bench_float_text), and the exports write millions. Every one of the 2^32
// floats was compared with std::to_chars (the exhaustive test beside the
// others).
#include "core/float_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include <fmt/format.h>

#include "core/digit_text.h"

namespace {

constexpr char digitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Digits of a float's shortest significand: 1 to 9.
int digitCount(uint32_t value) {
    return 1 + (value >= 10) + (value >= 100) + (value >= 1000) + (value >= 10000) + (value >= 100000) +
           (value >= 1000000) + (value >= 10000000) + (value >= 100000000);
}

// The `count` digits of `value`, most significant first, at `out`.
void writeDigits(char* out, uint32_t value, int count) {
    char* p = out + count;
    for (; value >= 100; value /= 100) {
        p -= 2;
        std::memcpy(p, digitPairs + 2 * (value % 100), 2);
    }
    if (value >= 10) {
        std::memcpy(p - 2, digitPairs + 2 * value, 2);
    } else {
        p[-1] = static_cast<char>('0' + value);
    }
}

// The text is laid out in a local block with copies of fixed sizes, which
// the compiler turns into a few moves, then copied out whole.
constexpr size_t blockSize = 32;

// d.ddde+XX at `out`, the exponent in two digits at least, as printf's %e;
// `digits` holds the count digits and room to 16.
int layScientific(char* out, const char* digits, int count, int exponent) {
    out[0] = digits[0];
    out[1] = '.';
    std::memcpy(out + 2, digits + 1, 8);
    int at = count > 1 ? count + 1 : 1;
    out[at++] = 'e';
    out[at++] = exponent < 0 ? '-' : '+';
    unsigned magnitude = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
    if (magnitude >= 100) {
        out[at++] = static_cast<char>('0' + magnitude / 100);
        magnitude %= 100;
    }
    std::memcpy(out + at, digitPairs + 2 * magnitude, 2);
    return at + 2;
}

// The digits times 10^exponent (exponent <= 0) written out in full.
int layFixed(char* out, const char* digits, int count, int exponent) {
    int whole = count + exponent;  // digits before the point
    if (exponent == 0) {
        std::memcpy(out, digits, 10);
        return count;
    }
    if (whole > 0) {
        std::memcpy(out, digits, 10);
        std::memmove(out + whole + 1, out + whole, 10);
        out[whole] = '.';
        return count + 1;
    }
    // 0.000ddd: at most four zeros after the point, or scientific is shorter.
    std::memcpy(out, "0.00000", 8);
    std::memcpy(out + 2 - whole, digits, 10);
    return 2 - exponent;
}

void storeWord(char* out, uint64_t word) { std::memcpy(out, &word, sizeof word); }

// The common case, a fraction of at most eight digits in fixed notation
// (exponent < 0, no longer than scientific: from 0.000dd on), made
// in two words held in registers and stored straight at `out` rather than
// laid out in a block and copied (22.5 against 23.1 ns a float in the bench).
char* appendFixedFraction(char* out, int sign, uint32_t significand, int count, int exponent) {
    uint64_t digits = eightDigitText(significand) >> (8 * (8 - count));
    int whole = count + exponent;  // digits before the point
    if (whole <= 0) {
        // "0." and up to three zeros; nine characters at most after the sign.
        char* at = out + sign;
        out[0] = '-';
        storeWord(at, 0x3030303030302E30ULL);
        storeWord(at + 2 - whole, digits);
        return at + 2 - whole + count;
    }
    // The point inside the digits: whole <= 7, the text count + 1 <= 9.
    uint64_t low = (digits & ((uint64_t{1} << (8 * whole)) - 1)) | uint64_t{'.'} << (8 * whole);
    uint64_t tail = digits >> (8 * whole);
    uint64_t high = 0;
    if (whole < 7) {
        low |= tail << (8 * (whole + 1));
        high = tail >> (8 * (7 - whole));
    } else {
        high = tail;
    }
    if (sign != 0) {
        high = high << 8 | low >> 56;
        low = low << 8 | '-';
    }
    storeWord(out, low);
    storeWord(out + 8, high);
    return out + sign + count + 1;
}

}  // namespace

char* appendShortestFloat(char* out, float value) {
    if (!std::isfinite(value)) return std::to_chars(out, out + 16, value).ptr;
    char block[blockSize];
    int sign = std::signbit(value) ? 1 : 0;
    block[0] = '-';
    value = std::fabs(value);
    if (value == 0.0f) {
        block[sign] = '0';
        std::memcpy(out, block, 2);
        return out + sign + 1;
    }
    auto decimal = fmt::detail::dragonbox::to_decimal(value);
    uint32_t significand = decimal.significand;
    int exponent = decimal.exponent;
    // The shortest digits carry no trailing zero.
    while (significand % 10 == 0) {
        significand /= 10;
        ++exponent;
    }
    int count = digitCount(significand);
    int scientificExponent = exponent + count - 1;
    int magnitude = scientificExponent < 0 ? -scientificExponent : scientificExponent;
    int scientificLength = count + (count > 1 ? 1 : 0) + 2 + (magnitude >= 100 ? 3 : 2);
    int fixedLength = exponent >= 0 ? count + exponent : (count + exponent > 0 ? count + 1 : 2 - exponent);
    if (exponent < 0 && count <= 8 && fixedLength <= scientificLength) {
        return appendFixedFraction(out, sign, significand, count, exponent);
    }
    char digits[16];
    writeDigits(digits, significand, count);
    int length = 0;
    if (fixedLength > scientificLength) {
        length = layScientific(block + sign, digits, count, scientificExponent);
    } else if (exponent > 0) {
        // A whole number past its shortest digits is written exactly, as
        // std::to_chars writes it (99999992, not 99999990): the same length.
        // It is below 10^15 here, so it fits in 64 bits.
        length = static_cast<int>(std::to_chars(block + sign, block + blockSize, static_cast<uint64_t>(value)).ptr -
                                  (block + sign));
    } else {
        length = layFixed(block + sign, digits, count, exponent);
    }
    std::memcpy(out, block, 16);
    return out + sign + length;
}
