#include "mesh/off_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <locale.h>

namespace {

// "%15.8g" of a NaN or an infinity, through the C library in the C locale.
int formatByLibrary(double value, char* out) {
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    locale_t previous = uselocale(c);
    char text[32];
    int length = std::snprintf(text, sizeof text, "%15.8g", value);
    uselocale(previous);
    std::memcpy(out, text, static_cast<size_t>(length));
    return length;
}

char* appendInt(char* out, int32_t value) {
    return std::to_chars(out, out + 11, value).ptr;
}

// Vertex coordinate in the file: (S / 0.6) * v + c in double, kept as float.
float fileCoordinate(float view, float scale, float center) {
    double factor = static_cast<double>(scale) / 0.6;
    return static_cast<float>(factor * static_cast<double>(view) + static_cast<double>(center));
}

}  // namespace

int formatCoordinateField(double value, char* out) {
    if (!std::isfinite(value)) return formatByLibrary(value, out);
    // Eight significant digits, rounded as printf rounds; "%g" then picks the
    // fixed or the exponent form from the exponent of the rounded value.
    char scientific[32];
    char* end = std::to_chars(scientific, scientific + sizeof scientific, value,
                              std::chars_format::scientific, 7).ptr;
    const char* p = scientific;
    bool negative = *p == '-';
    if (negative) ++p;
    char digits[8];
    digits[0] = p[0];
    std::memcpy(digits + 1, p + 2, 7);
    // "d.ddddddde" then the exponent's sign and digits.
    int exponent = 0;
    std::from_chars(p + 11, end, exponent);
    if (p[10] == '-') exponent = -exponent;

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

std::string formatOffText(const Mesh& m) {
    size_t nameLength = strnlen(m.textureFileName, sizeof m.textureFileName);
    int32_t vertexCount = m.vertexCount > 0 ? m.vertexCount : 0;
    int32_t faceCount = m.faceCount > 0 ? m.faceCount : 0;
    // Upper bound: every coordinate field is 15 bytes (16 for a NaN), every
    // int at most 11 characters.
    size_t bound = 6 + nameLength + 26 + static_cast<size_t>(vertexCount) * 52 +
                   static_cast<size_t>(faceCount) * 51;
    std::string text(bound, '\0');
    char* out = text.data();

    std::memcpy(out, "OFF  ", 5);
    out += 5;
    std::memcpy(out, m.textureFileName, nameLength);
    out += nameLength;
    *out++ = '\n';
    *out++ = ' ';
    out = appendInt(out, m.vertexCount);
    *out++ = ' ';
    *out++ = ' ';
    out = appendInt(out, m.faceCount);
    *out++ = '\n';

    const float* axes[3] = {m.vertexX, m.vertexY, m.vertexZ};
    for (int32_t i = 0; i < vertexCount; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            *out++ = ' ';
            float value = fileCoordinate(axes[axis][i], m.modelScale, m.modelCenter[axis]);
            out += formatCoordinateField(static_cast<double>(value), out);
        }
        *out++ = '\n';
    }
    for (int32_t f = 0; f < faceCount; ++f) {
        bool triangle = m.faceD[f] == -1;
        std::memcpy(out, triangle ? " 3" : " 4", 2);
        out += 2;
        const int32_t corners[4] = {m.faceA[f], m.faceB[f], m.faceC[f], m.faceD[f]};
        for (int k = 0; k < (triangle ? 3 : 4); ++k) {
            *out++ = ' ';
            out = appendInt(out, corners[k]);
        }
        *out++ = '\n';
    }
    text.resize(static_cast<size_t>(out - text.data()));
    return text;
}
