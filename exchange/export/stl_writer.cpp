// STL, binary or text: triangles with the face's normal.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "exchange/export/format_writers.h"

namespace {

// The triangles of face f, quads cut as (A, B, C) + (A, C, D) as the window
// draws them; both halves take the face's normal.
constexpr int cuts[2][3] = {{0, 1, 2}, {0, 2, 3}};

int faceTriangles(int f, float p[4][3], float n[3]) {
    int count = facePositions(f, p);
    faceNormal(p, n);
    return count - 2;
}

Section stlTextFaceSection() {
    constexpr size_t triangle = 14 + 3 * 16 + 1 + 13 + 3 * (10 + 3 * 16 + 1) + 11 + 10;
    return {mesh.faceCount, 2 * triangle, [](char* out, int64_t f) {
                float p[4][3], n[3];
                int triangles = faceTriangles(static_cast<int>(f), p, n);
                for (int t = 0; t < triangles; ++t) {
                    out = appendPoint(appendText(out, " facet normal "), n);
                    out = appendText(out, "\n  outer loop\n");
                    for (int k = 0; k < 3; ++k) {
                        out = appendPoint(appendText(out, "   vertex "), p[cuts[t][k]]);
                        *out++ = '\n';
                    }
                    out = appendText(out, "  endloop\n endfacet\n");
                }
                return out;
            }};
}

Section stlBinaryFaceSection() {
    return {mesh.faceCount, 2 * 50, [](char* out, int64_t f) {
                float p[4][3], n[3];
                int triangles = faceTriangles(static_cast<int>(f), p, n);
                for (int t = 0; t < triangles; ++t) {
                    for (int axis = 0; axis < 3; ++axis) out = appendBinary(out, n[axis]);
                    for (int k = 0; k < 3; ++k) {
                        for (int axis = 0; axis < 3; ++axis) out = appendBinary(out, p[cuts[t][k]][axis]);
                    }
                    out = appendBinary(out, uint16_t{0});
                }
                return out;
            }};
}

}  // namespace

FileSections stlSections(bool ascii, const ExportModel& model) {
    if (ascii) return {bytesSection("solid kestrune\n"), stlTextFaceSection(), bytesSection("endsolid kestrune\n")};
    // A binary header must not start with "solid", or readers take it for text.
    std::string header(80, '\0');
    std::memcpy(header.data(), "Kestrune", 8);
    header += std::string(4, '\0');
    uint32_t triangles = static_cast<uint32_t>(model.triangleCount);
    std::memcpy(header.data() + 80, &triangles, 4);
    return {bytesSection(header), stlBinaryFaceSection()};
}
