#include "mesh/off_reader.h"

#include <cassert>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "mesh/face_mapping.h"
#include "mesh/off_writer.h"
#include "core/text_scan.h"
#include "core/two_halves.h"

namespace {

// Header "%s%s": "OFF" and an optional texture name, which must fit the
// name field whole. The header line may be longer than the common limit; the
// blank and comment lines before it may not.
bool readHeader(std::string_view& text, Mesh& m) {
    std::string_view line;
    while (takeLine(text, line, offHeaderLineLimit) == LineTaken) {
        if (!isBlankLine(line) && !isCommentLine(line)) break;
        if (line.size() > offLineLimit) return false;
    }
    const char* p = line.data();
    const char* end = p + line.size();
    if (scanWord(p, end) != "OFF") return false;
    std::string_view name = scanWord(p, end);
    return setTextureName(m, name);
}

// Counts "%d%d%d"; the edge count is optional and ignored. Counts that the
// rest of the text cannot hold are refused before anything is allocated: a
// vertex line takes at least 5 characters and a face line 7, each but the
// last followed by its LF.
bool readCounts(std::string_view& text, int32_t& vertexCount, int32_t& faceCount) {
    std::string_view line;
    nextDataLine(text, line, offLineLimit);
    int32_t counts[3] = {0, 0, 0};
    if (scanInts(line, counts, 3) < 2 || counts[0] < 1 || counts[1] < 1) return false;
    uint64_t leastSize = 6 * static_cast<uint64_t>(counts[0]) + 8 * static_cast<uint64_t>(counts[1]) - 1;
    if (leastSize > text.size()) return false;
    vertexCount = counts[0];
    faceCount = counts[1];
    return true;
}

// Vertex lines [from, to) from the start of `text`, moved past them.
bool readVertices(std::string_view& text, Mesh& m, int32_t from, int32_t to) {
    std::string_view line;
    for (int32_t i = from; i < to; ++i) {
        nextDataLine(text, line, offLineLimit);
        float xyz[3];
        if (scanFloats(line, xyz, 3) < 3) return false;
        m.vertexX[i] = xyz[0];
        m.vertexY[i] = xyz[1];
        m.vertexZ[i] = xyz[2];
    }
    return true;
}

// Face lines [from, to) from the start of `text`, "%d%d%d%d%d": corner count
// 3 or 4, then that many corners, each a vertex of the model.
bool readFaces(std::string_view& text, Mesh& m, int32_t from, int32_t to) {
    std::string_view line;
    auto isVertex = [&](int32_t v) { return v >= 0 && v < m.vertexCount; };
    for (int32_t f = from; f < to; ++f) {
        nextDataLine(text, line, offLineLimit);
        int32_t numbers[5];
        int converted = scanInts(line, numbers, 5);
        if (converted < 4) return false;
        int32_t corners = numbers[0];
        if (corners != 3 && corners != 4) return false;
        if (corners == 4 && converted < 5) return false;
        int32_t d = corners == 3 ? -1 : numbers[4];
        if (!isVertex(numbers[1]) || !isVertex(numbers[2]) || !isVertex(numbers[3])) return false;
        if (corners == 4 && !isVertex(d)) return false;
        m.faceA[f] = numbers[1];
        m.faceB[f] = numbers[2];
        m.faceC[f] = numbers[3];
        m.faceD[f] = d;
    }
    return true;
}

// Moves `text` past `count` data lines; false when the text ends or a line
// is too long before that (the whole reading then goes line by line, and
// fails where it would have anyway).
bool skipDataLines(std::string_view& text, int64_t count) {
    std::string_view line;
    for (int64_t k = 0; k < count; ++k) {
        if (nextDataLine(text, line, offLineLimit) != LineTaken) return false;
    }
    return true;
}

// Where each half of the vertex lines and of the face lines starts.
struct HalfStarts {
    std::string_view vertices[2], faces[2];
    int32_t vertexHalf = 0, faceHalf = 0;
};

bool findHalfStarts(std::string_view text, const Mesh& m, HalfStarts& starts) {
    starts.vertexHalf = m.vertexCount / 2;
    starts.faceHalf = m.faceCount / 2;
    starts.vertices[0] = text;
    if (!skipDataLines(text, starts.vertexHalf)) return false;
    starts.vertices[1] = text;
    if (!skipDataLines(text, m.vertexCount - starts.vertexHalf)) return false;
    starts.faces[0] = text;
    if (!skipDataLines(text, starts.faceHalf)) return false;
    starts.faces[1] = text;
    return true;
}

bool readHalf(HalfStarts starts, int half, Mesh& m) {
    int32_t vertexFrom = half == 0 ? 0 : starts.vertexHalf;
    int32_t vertexTo = half == 0 ? starts.vertexHalf : m.vertexCount;
    int32_t faceFrom = half == 0 ? 0 : starts.faceHalf;
    int32_t faceTo = half == 0 ? starts.faceHalf : m.faceCount;
    return readVertices(starts.vertices[half], m, vertexFrom, vertexTo) &&
           readFaces(starts.faces[half], m, faceFrom, faceTo);
}

// Below this many lines a second thread costs more than it saves.
constexpr int64_t linesForTwoThreads = 20000;

// Every vertex line read on one thread while this one passes over them to
// where the faces start and reads those; `linesFound` false when the face
// lines cannot be found (nothing is known then).
bool readVerticesBesideFaces(std::string_view text, Mesh& m, bool& linesFound) {
    bool read[2] = {true, true};
    linesFound = true;
    runHalvesAtOnce([&](int side) {
        std::string_view rest = text;
        if (side == 1) {
            read[1] = readVertices(rest, m, 0, m.vertexCount);
            return;
        }
        linesFound = skipDataLines(rest, m.vertexCount);
        read[0] = linesFound && readFaces(rest, m, 0, m.faceCount);
    });
    return read[0] && read[1];
}

// Which way of reading on two threads ends sooner, from what a line costs
// (ns, measured on the 1,000,000-triangle sphere): reading a vertex line,
// a face line, passing over either. Vertices beside faces needs no pass
// over the faces, halves balance any model.
bool verticesBesideFacesIsSooner(const Mesh& m) {
    const double vertexRead = 80, faceRead = 30, vertexPass = 16, facePass = 8;
    double vertices = m.vertexCount, faces = m.faceCount;
    double beside = std::max(vertices * vertexRead, vertices * vertexPass + faces * faceRead);
    double halves = vertices * vertexPass + faces / 2 * facePass + (vertices * vertexRead + faces * faceRead) / 2;
    return beside <= halves;
}

// The vertex and face lines after the counts. The numbers take most of the
// reading and each line stands alone, so on a large model they are read on
// two threads, into the places the reading in one go gives them: the
// vertices beside the faces, or the lines found first and read in two
// halves. Any fault makes it false either way.
bool readVerticesAndFaces(std::string_view text, Mesh& m) {
    bool large = int64_t{m.vertexCount} + m.faceCount >= linesForTwoThreads;
    if (large && verticesBesideFacesIsSooner(m)) {
        bool linesFound = false;
        bool read = readVerticesBesideFaces(text, m, linesFound);
        if (linesFound) return read;
    }
    HalfStarts starts;
    if (!large || !findHalfStarts(text, m, starts)) {
        return readVertices(text, m, 0, m.vertexCount) && readFaces(text, m, 0, m.faceCount);
    }
    bool read[2] = {true, true};
    runHalvesAtOnce([&](int half) { read[half] = readHalf(starts, half, m); });
    return read[0] && read[1];
}

// Centres the model on the centroid (float partial sums in index order) and
// scales it so that its largest absolute coordinate becomes 0.6. A model that
// cannot be brought into view coordinates (infinite or NaN values) is refused;
// a model whose vertices all coincide keeps the scale 1.
bool normalize(Mesh& m) {
    float* axes[3] = {m.vertexX, m.vertexY, m.vertexZ};
    for (int axis = 0; axis < 3; ++axis) {
        float* values = axes[axis];
        float sum = 0.0f;
        for (int32_t i = 0; i < m.vertexCount; ++i) sum += values[i];
        float center = sum / static_cast<float>(m.vertexCount);
        if (!std::isfinite(center)) return false;
        m.modelCenter[axis] = center;
        for (int32_t i = 0; i < m.vertexCount; ++i) values[i] = values[i] - center;
    }
    float lo = m.vertexX[0];
    float hi = m.vertexX[0];
    for (int32_t i = 0; i < m.vertexCount; ++i) {
        for (float* values : axes) {
            float c = values[i];
            if (c < lo) lo = c;
            if (c > hi) hi = c;
        }
    }
    float scale = -lo > hi ? -lo : hi;
    if (!std::isfinite(scale)) return false;
    if (scale == 0.0f) scale = 1.0f;
    m.modelScale = scale;
    for (float* values : axes) {
        for (int32_t i = 0; i < m.vertexCount; ++i) {
            values[i] = static_cast<float>(static_cast<double>(values[i]) * 0.6 / static_cast<double>(scale));
        }
    }
    return true;
}

}  // namespace

LineResult takeLine(std::string_view& text, std::string_view& line, size_t limit) {
    const void* found = std::memchr(text.data(), '\n', text.size());
    if (found != nullptr) {
        size_t length = static_cast<size_t>(static_cast<const char*>(found) - text.data());
        if (length > limit) {
            line = {};
            return LineTooLong;
        }
        line = text.substr(0, length);
        text.remove_prefix(length + 1);
        return LineTaken;
    }
    if (text.size() > limit) {
        line = {};
        return LastLineTooLong;
    }
    line = text;
    text.remove_prefix(text.size());
    return LastLine;
}

bool isBlankLine(std::string_view line) {
    for (size_t k = 0; k + 1 < line.size(); ++k) {
        if (line[k] != ' ') return false;
    }
    return true;
}

bool isCommentLine(std::string_view line) { return !line.empty() && line[0] == '*'; }

LineResult nextDataLine(std::string_view& text, std::string_view& line, size_t limit) {
    for (;;) {
        LineResult result = takeLine(text, line, limit);
        if (result != LineTaken) return result;
        if (!isBlankLine(line) && !isCommentLine(line)) return result;
    }
}

bool isStorableTextureName(std::string_view name) {
    if (name.size() >= sizeof Mesh::textureFileName) return false;
    return std::none_of(name.begin(), name.end(), [](char c) { return c == '\0' || isScanSpace(c); });
}

bool readOffText(const char* text, size_t size, Mesh& into, bool* memoryExhausted) {
    assert(text != nullptr || size == 0);
    if (memoryExhausted != nullptr) *memoryExhausted = false;
    // The text is a C string to the reader: a NUL byte ends it.
    const void* nul = std::memchr(text, '\0', size);
    if (nul != nullptr) size = static_cast<size_t>(static_cast<const char*>(nul) - text);
    std::string_view rest(text, size);

    Mesh built;
    int32_t vertexCount = 0;
    int32_t faceCount = 0;
    if (!readHeader(rest, built) || !readCounts(rest, vertexCount, faceCount)) return false;
    if (!allocateMeshArrays(built, vertexCount, faceCount, ArrayFill::Zeroed)) {
        if (memoryExhausted != nullptr) *memoryExhausted = true;
        return false;
    }
    if (!readVerticesAndFaces(rest, built) || !normalize(built)) {
        releaseMeshArrays(built);
        return false;
    }
    built.commonBaseLength = measureLongestBaseEdge(built);
    replaceMesh(into, built);
    return true;
}

namespace {

// Vertices [from, to) as their "%15.8g" text reads back.
bool readCoordinates(const float* positions, int32_t from, int32_t to, Mesh& m) {
    float* axes[3] = {m.vertexX, m.vertexY, m.vertexZ};
    char field[16];
    for (int32_t i = from; i < to; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            double value = static_cast<double>(positions[3 * static_cast<size_t>(i) + axis]);
            if (readBackCoordinate(value, axes[axis][i])) continue;
            std::string_view text(field, static_cast<size_t>(formatCoordinateField(value, field)));
            if (scanFloats(text, &axes[axis][i], 1) != 1) return false;
        }
    }
    return true;
}

}  // namespace

bool readOffNumbers(const float* positions, int32_t vertexCount, const int32_t* corners, int32_t faceCount,
                    Mesh& into, bool* memoryExhausted) {
    assert(vertexCount < 1 || positions != nullptr);
    assert(faceCount < 1 || corners != nullptr);
    if (memoryExhausted != nullptr) *memoryExhausted = false;
    if (vertexCount < 1 || faceCount < 1) return false;
    Mesh built;
    if (!allocateMeshArrays(built, vertexCount, faceCount, ArrayFill::Zeroed)) {
        if (memoryExhausted != nullptr) *memoryExhausted = true;
        return false;
    }
    // Each coordinate stands alone: the second half is done on another core.
    int32_t half = vertexCount / 2;
    bool halvesRead[2] = {true, true};
    runHalvesAtOnce([&](int which) {
        halvesRead[which] = which == 0 ? readCoordinates(positions, 0, half, built)
                                       : readCoordinates(positions, half, vertexCount, built);
    });
    bool read = halvesRead[0] && halvesRead[1];
    auto isVertex = [&](int32_t v) { return v >= 0 && v < vertexCount; };
    for (int32_t f = 0; read && f < faceCount; ++f) {
        const int32_t* c = &corners[4 * static_cast<size_t>(f)];
        read = isVertex(c[0]) && isVertex(c[1]) && isVertex(c[2]) && (c[3] == -1 || isVertex(c[3]));
        built.faceA[f] = c[0];
        built.faceB[f] = c[1];
        built.faceC[f] = c[2];
        built.faceD[f] = c[3];
    }
    if (!read || !normalize(built)) {
        releaseMeshArrays(built);
        return false;
    }
    built.commonBaseLength = measureLongestBaseEdge(built);
    replaceMesh(into, built);
    return true;
}
