#include "mesh/off_writer.h"

#include <bit>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <locale.h>

#include "core/digit_text.h"
#include "core/text_scan.h"

namespace {

// "%15.8g" of a NaN or an infinity, through the C library in the C locale.
int formatByLibrary(double value, char* out) {
    locale_t previous = uselocale(cNumericLocale());
    char text[32];
    int length = std::snprintf(text, sizeof text, "%15.8g", value);
    uselocale(previous);
    std::memcpy(out, text, static_cast<size_t>(length));
    return length;
}

// Eight significant digits of `value` as a number in [10^7, 10^8) and the
// decimal exponent of the first, exactly as printf's "%.7e" rounds them (ties
// to even), through std::to_chars.
void exactEightDigits(double value, uint32_t& digits, int& exponent) {
    char scientific[32];
    char* end = std::to_chars(scientific, scientific + sizeof scientific, value,
                              std::chars_format::scientific, 7).ptr;
    const char* p = scientific[0] == '-' ? scientific + 1 : scientific;
    // "d.ddddddde" then the exponent's sign and digits.
    digits = static_cast<uint32_t>(p[0] - '0');
    for (int k = 2; k < 9; ++k) digits = 10 * digits + static_cast<uint32_t>(p[k] - '0');
    std::from_chars(p + 11, end, exponent);
    if (p[10] == '-') exponent = -exponent;
}

// Powers of ten that doubles hold exactly.
constexpr double exactPowersOfTen[23] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                         1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// `magnitude` scaled by 10^(7 - exponent) with a single rounding, or false
// when that power of ten is not exact in double.
bool scaleToEightDigits(double magnitude, int exponent, double& scaled) {
    int shift = 7 - exponent;
    if (shift > 22 || shift < -22) return false;
    scaled = shift >= 0 ? magnitude * exactPowersOfTen[shift] : magnitude / exactPowersOfTen[-shift];
    return true;
}

// Fast path of the rounding to eight digits: the scaled value carries at most
// one rounding (an error below 1.2e-8 at 1e8), so its rounding to an integer
// is the exact one unless it lies within 1e-7 of a half; those cases, zero,
// subnormals and magnitudes outside 1e-15 .. 1e29 are left to the exact path.
bool roundToEightDigits(double magnitude, uint32_t& digits, int& exponent) {
    int biased = static_cast<int>(std::bit_cast<uint64_t>(magnitude) >> 52);
    if (biased == 0) return false;
    // floor(log10(2^(biased - 1023))), give or take one, put right below.
    exponent = ((biased - 1023) * 78913) >> 18;
    double scaled = 0.0;
    if (!scaleToEightDigits(magnitude, exponent, scaled)) return false;
    if (scaled >= 1e8) {
        ++exponent;
        if (!scaleToEightDigits(magnitude, exponent, scaled)) return false;
    } else if (scaled < 1e7) {
        --exponent;
        if (!scaleToEightDigits(magnitude, exponent, scaled)) return false;
    }
    if (scaled < 1e7 || scaled >= 1e8) return false;
    uint32_t whole = static_cast<uint32_t>(scaled);
    double fraction = scaled - static_cast<double>(whole);
    if (std::fabs(fraction - 0.5) < 1e-7) return false;
    digits = whole + (fraction > 0.5 ? 1 : 0);
    if (digits >= 100000000) {
        digits /= 10;
        ++exponent;
    }
    return true;
}

// The "%.8g" text of digits * 10^(exponent - 7) (10^7 <= digits < 10^8):
// fixed from 10^-4 to below 10^8, scientific otherwise, trailing zeros
// dropped; at most 14 characters.
TextBytes eightDigitBody(uint32_t digits, int exponent, int& length) {
    uint64_t text = eightDigitText(digits);
    uint64_t values = text - 0x3030303030303030ULL;  // trailing zeros are the high zero bytes
    int significant = 8 - std::countl_zero(values) / 8;
    if (exponent < -4 || exponent >= 8) {
        TextBytes body = text & 0xFF;
        length = 1;
        if (significant > 1) {
            body = placeText(body, '.' | lowBytes(text >> 8, significant - 1) << 8, 1);
            length = significant + 1;
        }
        int exponentLength = 0;
        body = placeText(body, exponentText(exponent, exponentLength), length);
        length += exponentLength;
        return body;
    }
    if (exponent >= 0) {
        int whole = exponent + 1;
        TextBytes body = lowBytes(text, whole);
        length = whole;
        if (significant > whole) {
            body = placeText(body, '.' | lowBytes(text >> (8 * whole), significant - whole) << 8, whole);
            length = significant + 1;
        }
        return body;
    }
    // "0." and up to three zeros, then the digits.
    int prefix = 1 - exponent;
    length = prefix + significant;
    return placeText(lowBytes(uint64_t{0x3030302E30}, prefix), lowBytes(text, significant), prefix);
}

constexpr TextBytes sixteenBlanks = ~TextBytes{0} / 0xFF * ' ';

}  // namespace

int formatCoordinateField(double value, char* out) {
    if (!std::isfinite(value)) return formatByLibrary(value, out);
    bool negative = std::signbit(value);
    double magnitude = std::fabs(value);
    int length = 1;
    TextBytes body = '0';
    if (magnitude != 0.0) {
        uint32_t digits = 0;
        int exponent = 0;
        if (!roundToEightDigits(magnitude, digits, exponent)) exactEightDigits(magnitude, digits, exponent);
        body = eightDigitBody(digits, exponent, length);
    }
    if (negative) {
        body = body << 8 | '-';
        ++length;
    }
    // Right-aligned in 15 characters; the longest body (a negative in
    // scientific notation with three exponent digits) takes 15.
    int padding = 15 - length;
    storeText(out, lowBytes(sixteenBlanks, padding) | body << (8 * padding));
    return 15;
}

bool readBackCoordinate(double value, float& read) {
    if (!std::isfinite(value)) return false;
    double magnitude = std::fabs(value);
    if (magnitude == 0.0) {
        read = static_cast<float>(value);  // "0" or "-0"
        return true;
    }
    uint32_t digits = 0;
    int exponent = 0;
    if (!roundToEightDigits(magnitude, digits, exponent)) exactEightDigits(magnitude, digits, exponent);
    // digits * 10^shift with one rounding to double, as both factors are exact.
    int shift = exponent - 7;
    if (shift > 22 || shift < -22) return false;
    double decimal = shift >= 0 ? digits * exactPowersOfTen[shift] : digits / exactPowersOfTen[-shift];
    if (decimal < std::numeric_limits<float>::min() || decimal > std::numeric_limits<float>::max()) return false;
    // Rounding that double to float gives the float nearest the decimal
    // itself unless the double sits exactly half way between two floats
    // (the first rounding may have put it there).
    if ((std::bit_cast<uint64_t>(decimal) & ((uint64_t{1} << 29) - 1)) == uint64_t{1} << 28) return false;
    float nearest = static_cast<float>(decimal);
    read = std::signbit(value) ? -nearest : nearest;
    return true;
}

namespace {

// What the writers promise to read: the stored vertices and faces, no more.
void assertCountsFit(const Mesh& m) {
    assert(m.vertexCount >= 0 && m.vertexCount <= m.vertexCapacity);
    assert(m.faceCount >= 0 && m.faceCount <= m.faceCapacity);
    (void)m;
}

std::string offHeader(const OffArrays& arrays, OffStyle style, const std::string& textureName) {
    const std::string vertices = std::to_string(arrays.vertexCount), faces = std::to_string(arrays.faceCount);
    if (style == OffStyle::Standard) return "OFF\n" + vertices + " " + faces + " 0\n";
    return "OFF  " + textureName + "\n " + vertices + "  " + faces + "\n";
}

// Vertex v in the file's units.
void filePoint(const OffArrays& arrays, int64_t v, float p[3]) {
    const size_t at = static_cast<size_t>(v) * arrays.vertexStride;
    const float stored[3] = {arrays.x[at], arrays.y[at], arrays.z[at]};
    for (int axis = 0; axis < 3; ++axis) {
        p[axis] = arrays.viewUnits ? fileCoordinate(stored[axis], arrays.scale, arrays.center[axis]) : stored[axis];
    }
}

}  // namespace

OffArrays meshOffArrays(const Mesh& m) {
    assertCountsFit(m);
    OffArrays arrays;
    arrays.vertexCount = m.vertexCount > 0 ? m.vertexCount : 0;
    arrays.faceCount = m.faceCount > 0 ? m.faceCount : 0;
    arrays.x = m.vertexX;
    arrays.y = m.vertexY;
    arrays.z = m.vertexZ;
    arrays.a = m.faceA;
    arrays.b = m.faceB;
    arrays.c = m.faceC;
    arrays.d = m.faceD;
    arrays.viewUnits = true;
    arrays.scale = m.modelScale;
    for (int axis = 0; axis < 3; ++axis) arrays.center[axis] = m.modelCenter[axis];
    return arrays;
}

char* appendOffVertexLine(char* out, const float p[3], OffStyle style) {
    for (int axis = 0; axis < 3; ++axis) {
        if (style == OffStyle::Kestrune) {
            *out++ = ' ';
            out += formatCoordinateField(static_cast<double>(p[axis]), out);
        } else {
            if (axis > 0) *out++ = ' ';
            out = std::to_chars(out, out + 16, p[axis]).ptr;
        }
    }
    *out++ = '\n';
    return out;
}

char* appendOffFaceLine(char* out, const int32_t corners[4], OffStyle style) {
    const bool triangle = corners[3] == -1;
    if (style == OffStyle::Kestrune) *out++ = ' ';
    *out++ = triangle ? '3' : '4';
    for (int k = 0; k < (triangle ? 3 : 4); ++k) {
        *out++ = ' ';
        out = appendDecimal(out, corners[k]);
    }
    *out++ = '\n';
    return out;
}

Section offVertexSection(const OffArrays& arrays, OffStyle style) {
    return {arrays.vertexCount, offVertexLineLimit, [arrays, style](char* out, int64_t v) {
                float p[3];
                filePoint(arrays, v, p);
                return appendOffVertexLine(out, p, style);
            }};
}

Section offFaceSection(const OffArrays& arrays, OffStyle style) {
    return {arrays.faceCount, offFaceLineLimit, [arrays, style](char* out, int64_t f) {
                const size_t at = static_cast<size_t>(f) * arrays.faceStride;
                const int32_t corners[4] = {arrays.a[at], arrays.b[at], arrays.c[at], arrays.d[at]};
                return appendOffFaceLine(out, corners, style);
            }};
}

FileSections offFileSections(const OffArrays& arrays, OffStyle style, const std::string& textureName) {
    return {bytesSection(offHeader(arrays, style, textureName)), offVertexSection(arrays, style),
            offFaceSection(arrays, style)};
}

FileSections meshOffSections(const Mesh& m) {
    std::string name(m.textureFileName, strnlen(m.textureFileName, sizeof m.textureFileName));
    return offFileSections(meshOffArrays(m), OffStyle::Kestrune, name);
}

std::string formatOffText(const Mesh& m) { return sectionsText(meshOffSections(m)); }

bool writeOffText(const Mesh& m, const PieceSink& sink, size_t chunkSize, bool* memoryExhausted) {
    return writeSections(meshOffSections(m), sink, chunkSize, memoryExhausted);
}
