#include "mesh/off_writer.h"

#include <cassert>
#include <cerrno>
#include <charconv>
#include <cstddef>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <future>
#include <new>
#include <exception>
#include <vector>
#include <locale.h>

#include "core/huge_pages.h"
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

size_t decimalLength(int32_t value) {
    uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    size_t length = value < 0 ? 2 : 1;
    for (; magnitude >= 10; magnitude /= 10) ++length;
    return length;
}

char* appendInt(char* out, int32_t value) {
    return std::to_chars(out, out + 11, value).ptr;
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

// Longest line the writer makes: a vertex line is 3 x 16 + 1 bytes, a face
// line at most " 4" and four 11-character integers with their blanks, and LF.
constexpr size_t longestLine = 64;

char* appendHeader(char* out, const Mesh& m) {
    size_t nameLength = strnlen(m.textureFileName, sizeof m.textureFileName);
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
    return out;
}

char* appendVertexLine(char* out, const Mesh& m, int32_t i) {
    const float* axes[3] = {m.vertexX, m.vertexY, m.vertexZ};
    for (int axis = 0; axis < 3; ++axis) {
        *out++ = ' ';
        float value = fileCoordinate(axes[axis][i], m.modelScale, m.modelCenter[axis]);
        out += formatCoordinateField(static_cast<double>(value), out);
    }
    *out++ = '\n';
    return out;
}

char* appendFaceLine(char* out, const Mesh& m, int32_t f) {
    bool triangle = m.faceD[f] == -1;
    std::memcpy(out, triangle ? " 3" : " 4", 2);
    out += 2;
    const int32_t corners[4] = {m.faceA[f], m.faceB[f], m.faceC[f], m.faceD[f]};
    for (int k = 0; k < (triangle ? 3 : 4); ++k) {
        *out++ = ' ';
        out = appendInt(out, corners[k]);
    }
    *out++ = '\n';
    return out;
}

// Appends lines from `line` on (the vertex lines, then the face lines) while
// a longest line still fits before `end`. Moves `line` past the lines taken.
char* appendLines(const Mesh& m, int64_t& line, char* out, const char* end) {
    int32_t vertexCount = m.vertexCount > 0 ? m.vertexCount : 0;
    int64_t lineCount = vertexCount + static_cast<int64_t>(m.faceCount > 0 ? m.faceCount : 0);
    for (; line < lineCount && end - out >= static_cast<std::ptrdiff_t>(longestLine); ++line) {
        out = line < vertexCount ? appendVertexLine(out, m, static_cast<int32_t>(line))
                                 : appendFaceLine(out, m, static_cast<int32_t>(line - vertexCount));
    }
    return out;
}

// Hands a chunk to the sink; on failure the sink's errno comes back with it,
// as the sink may run on another thread.
int sinkErrno(const OffTextSink& sink, const char* data, size_t size) {
    errno = 0;
    if (sink(data, size)) return 0;
    return errno != 0 ? errno : EIO;
}

// What both writers promise to read: the stored vertices and faces, no more.
void assertCountsFit(const Mesh& m) {
    assert(m.vertexCount >= 0 && m.vertexCount <= m.vertexCapacity);
    assert(m.faceCount >= 0 && m.faceCount <= m.faceCapacity);
    (void)m;
}

}  // namespace

std::string formatOffText(const Mesh& m) {
    assertCountsFit(m);
    size_t nameLength = strnlen(m.textureFileName, sizeof m.textureFileName);
    int32_t vertexCount = m.vertexCount > 0 ? m.vertexCount : 0;
    int32_t faceCount = m.faceCount > 0 ? m.faceCount : 0;
    // The exact size, so that the text is written in place in one block:
    // every coordinate field is 15 bytes (the longest "%15.8g" of a double is
    // 15 characters), the integers take their decimal length.
    size_t size = 5 + nameLength + 1 + 1 + decimalLength(m.vertexCount) + 2 + decimalLength(m.faceCount) + 1 +
                  static_cast<size_t>(vertexCount) * (3 * 16 + 1);
    for (int32_t f = 0; f < faceCount; ++f) {
        bool triangle = m.faceD[f] == -1;
        size += 2 + 1 + decimalLength(m.faceA[f]) + 1 + decimalLength(m.faceB[f]) + 1 + decimalLength(m.faceC[f]) +
                (triangle ? 0 : 1 + decimalLength(m.faceD[f])) + 1;
    }
    std::string text;
    text.reserve(size);
    // The text is written once from end to end.
    adviseHugePages(text.data(), size);
    text.resize(size);
    char* out = appendHeader(text.data(), m);
    for (int32_t i = 0; i < vertexCount; ++i) out = appendVertexLine(out, m, i);
    for (int32_t f = 0; f < faceCount; ++f) out = appendFaceLine(out, m, f);
    text.resize(static_cast<size_t>(out - text.data()));
    return text;
}

bool writePieces(const PieceFiller& fill, const OffTextSink& sink, size_t chunkSize, bool* memoryExhausted) {
    if (memoryExhausted != nullptr) *memoryExhausted = false;
    size_t size = chunkSize > 1024 ? chunkSize : 1024;
    std::vector<char> chunks[2];
    // The second chunk only once the first one is not the last.
    auto allocate = [&](std::vector<char>& chunk) {
        try {
            chunk.resize(size);
            return true;
        } catch (const std::bad_alloc&) {
            if (memoryExhausted != nullptr) *memoryExhausted = true;
            return false;
        }
    };
    if (!allocate(chunks[0])) {
        errno = ENOMEM;
        return false;
    }
    // Each chunk but the last is written on a second thread while the next
    // one is made; the sink gets them one at a time, in order.
    std::future<int> writing;
    int failure = 0;
    for (int k = 0;; k ^= 1) {
        char* begin = chunks[k].data();
        bool done = false;
        char* out = fill(begin, begin + size, done);
        if (writing.valid()) failure = writing.get();
        if (failure != 0) break;
        size_t used = static_cast<size_t>(out - begin);
        if (done) {
            failure = sinkErrno(sink, begin, used);
            break;
        }
        if (chunks[k ^ 1].empty() && !allocate(chunks[k ^ 1])) {
            failure = ENOMEM;
            break;
        }
        try {
            writing = std::async(std::launch::async, sinkErrno, std::cref(sink), begin, used);
        } catch (const std::exception&) {
            // No thread (or no memory for one): write this chunk here.
            failure = sinkErrno(sink, begin, used);
            if (failure != 0) break;
        }
    }
    errno = failure;
    return failure == 0;
}

bool writeOffText(const Mesh& m, const OffTextSink& sink, size_t chunkSize, bool* memoryExhausted) {
    assertCountsFit(m);
    int64_t lineCount = (m.vertexCount > 0 ? m.vertexCount : 0) + static_cast<int64_t>(m.faceCount > 0 ? m.faceCount : 0);
    int64_t line = 0;
    bool headerWritten = false;
    // A chunk of at least 1024 bytes holds the header (under 200 bytes) and a line.
    auto fill = [&](char* begin, char* end, bool& done) {
        char* out = begin;
        if (!headerWritten) {
            out = appendHeader(out, m);
            headerWritten = true;
        }
        out = appendLines(m, line, out, end);
        done = line == lineCount;
        return out;
    };
    return writePieces(fill, sink, chunkSize, memoryExhausted);
}
