#include "mesh/off_writer.h"

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <locale.h>

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

// Eight significant digits of `value` and the decimal exponent of the first,
// exactly as printf's "%.7e" rounds them (ties to even), through std::to_chars.
void exactEightDigits(double value, char* digits, int& exponent) {
    char scientific[32];
    char* end = std::to_chars(scientific, scientific + sizeof scientific, value,
                              std::chars_format::scientific, 7).ptr;
    const char* p = scientific[0] == '-' ? scientific + 1 : scientific;
    // "d.ddddddde" then the exponent's sign and digits.
    digits[0] = p[0];
    std::memcpy(digits + 1, p + 2, 7);
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
// is the exact one unless it lies within 1e-7 of a half; those cases, zero
// and magnitudes outside 1e-15 .. 1e29 are left to the exact path.
bool roundToEightDigits(double magnitude, char* digits, int& exponent) {
    if (magnitude == 0.0) return false;
    int binaryExponent = 0;
    std::frexp(magnitude, &binaryExponent);
    exponent = static_cast<int>(std::floor((binaryExponent - 1) * 0.30102999566398120));
    double scaled = 0.0;
    if (!scaleToEightDigits(magnitude, exponent, scaled)) return false;
    if (scaled >= 1e8) {
        ++exponent;
        if (!scaleToEightDigits(magnitude, exponent, scaled)) return false;
    } else if (scaled < 1e7) {
        --exponent;
        if (!scaleToEightDigits(magnitude, exponent, scaled)) return false;
    }
    double whole = std::floor(scaled);
    double fraction = scaled - whole;
    if (std::fabs(fraction - 0.5) < 1e-7) return false;
    uint32_t n = static_cast<uint32_t>(whole) + (fraction > 0.5 ? 1 : 0);
    if (n >= 100000000) {
        n /= 10;
        ++exponent;
    }
    for (int k = 7; k >= 0; --k, n /= 10) digits[k] = static_cast<char>('0' + n % 10);
    return true;
}

}  // namespace

int formatCoordinateField(double value, char* out) {
    if (!std::isfinite(value)) return formatByLibrary(value, out);
    bool negative = std::signbit(value);
    char digits[8];
    int exponent = 0;
    if (!roundToEightDigits(std::fabs(value), digits, exponent)) {
        exactEightDigits(value, digits, exponent);
    }

    int significant = 8;
    while (significant > 1 && digits[significant - 1] == '0') --significant;
    char body[24];
    char* b = body;
    if (negative) *b++ = '-';
    if (exponent < -4 || exponent >= 8) {
        *b++ = digits[0];
        if (significant > 1) {
            *b++ = '.';
            for (int k = 1; k < significant; ++k) *b++ = digits[k];
        }
        *b++ = 'e';
        *b++ = exponent < 0 ? '-' : '+';
        int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10) *b++ = '0';
        b = std::to_chars(b, b + 3, magnitude).ptr;
    } else if (exponent >= 0) {
        for (int k = 0; k <= exponent; ++k) *b++ = digits[k];
        if (significant > exponent + 1) {
            *b++ = '.';
            for (int k = exponent + 1; k < significant; ++k) *b++ = digits[k];
        }
    } else {
        *b++ = '0';
        *b++ = '.';
        for (int k = -1; k > exponent; --k) *b++ = '0';
        for (int k = 0; k < significant; ++k) *b++ = digits[k];
    }
    int length = static_cast<int>(b - body);
    int padding = length < 15 ? 15 - length : 0;
    std::memset(out, ' ', static_cast<size_t>(padding));
    std::memcpy(out + padding, body, static_cast<size_t>(length));
    return padding + length;
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
        out = std::to_chars(out, out + 11, corners[k]).ptr;
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
