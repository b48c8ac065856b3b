#include "render/mesh_arrays.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "mesh/mesh.h"
#include "mesh/mesh_geometry.h"
#include "render/faces.h"
#include "render/render_state.h"

namespace {

// A polygon is split into triangles fanned around its first corner, each
// listed as (i + 1, i + 2, 0): the decomposition GL itself applies to
// GL_POLYGON, so every triangle is interpolated from the same corners.
void appendFaceTriangles(uint32_t base, int count, std::vector<uint32_t>& out) {
    for (int i = 0; i + 2 < count; ++i) {
        out.push_back(base + static_cast<uint32_t>(i) + 1);
        out.push_back(base + static_cast<uint32_t>(i) + 2);
        out.push_back(base);
    }
}

void buildFaceArrays(const MappingSettings& settings) {
    DrawingCaches& drawing = render.drawing;
    size_t faceCount = static_cast<size_t>(mesh.faceCount);
    drawing.facePositions.clear();
    drawing.faceTexturePoints.clear();
    drawing.faceIndices.clear();
    drawing.faceUnitNormals.clear();
    drawing.faceCornerCounts.clear();
    drawing.facePositions.reserve(12 * faceCount);
    drawing.faceTexturePoints.reserve(8 * faceCount);
    drawing.faceIndices.reserve(6 * faceCount);
    drawing.faceUnitNormals.reserve(faceCount);
    drawing.faceCornerCounts.reserve(faceCount);
    uint32_t cornerCount = 0;
    for (int f = 0; f < mesh.faceCount; ++f) {
        if (!faceCornersStored(mesh, f)) continue;
        int32_t corners[4];
        int count = faceCorners(f, corners);
        TexturePoint points[4];
        faceTextureCoordinates(f, settings, points);
        for (int k = 0; k < count; ++k) {
            int32_t v = corners[k];
            drawing.facePositions.insert(drawing.facePositions.end(),
                                         {mesh.vertexX[v], mesh.vertexY[v], mesh.vertexZ[v]});
            drawing.faceTexturePoints.insert(drawing.faceTexturePoints.end(), {points[k].s, points[k].t});
        }
        drawing.faceUnitNormals.push_back(unitNormal(vertexPosition(corners[0]), vertexPosition(corners[1]),
                                                     vertexPosition(corners[2])));
        drawing.faceCornerCounts.push_back(static_cast<uint8_t>(count));
        appendFaceTriangles(cornerCount, count, drawing.faceIndices);
        cornerCount += static_cast<uint32_t>(count);
    }
    drawing.faceNormals.resize(3 * static_cast<size_t>(cornerCount));
    drawing.faceNormalReversed.assign(drawing.faceCornerCounts.size(), 2);
}

// Each face normal turned toward the viewer, as the immediate path turns it;
// only the faces whose side changed since the last drawing are rewritten.
void orientFaceNormals() {
    DrawingCaches& drawing = render.drawing;
    Vec3 toward = drawing.viewerDirection;
    float* out = drawing.faceNormals.data();
    for (size_t k = 0; k < drawing.faceUnitNormals.size(); ++k) {
        Vec3 n = drawing.faceUnitNormals[k];
        uint8_t reversed = dot3(n, toward) < 0.0f ? 1 : 0;
        int count = drawing.faceCornerCounts[k];
        if (reversed != drawing.faceNormalReversed[k]) {
            drawing.faceNormalReversed[k] = reversed;
            if (reversed != 0) n = Vec3{-n.x, -n.y, -n.z};
            for (int c = 0; c < count; ++c) {
                out[3 * c] = n.x;
                out[3 * c + 1] = n.y;
                out[3 * c + 2] = n.z;
            }
        }
        out += 3 * count;
    }
}

// The outline segments of every drawable face in drawing order (A-B, B-C,
// then C-D, D-A or C-A), keeping the first of those that join the same two
// vertices. The segments are bucketed by their lower vertex, so the work
// grows with the number of segments, whatever the vertex degrees.
void buildEdgeList() {
    DrawingCaches& drawing = render.drawing;
    std::vector<uint32_t> segments;  // from, to
    segments.reserve(8 * static_cast<size_t>(mesh.faceCount));
    for (int f = 0; f < mesh.faceCount; ++f) {
        if (!faceCornersStored(mesh, f)) continue;
        int32_t corners[4];
        int count = faceCorners(f, corners);
        for (int k = 0; k < count; ++k) {
            segments.push_back(static_cast<uint32_t>(corners[k]));
            segments.push_back(static_cast<uint32_t>(corners[(k + 1) % count]));
        }
    }
    size_t segmentCount = segments.size() / 2;
    auto lower = [&](size_t s) { return std::min(segments[2 * s], segments[2 * s + 1]); };
    auto upper = [&](size_t s) { return std::max(segments[2 * s], segments[2 * s + 1]); };
    std::vector<uint32_t> bucketStart(static_cast<size_t>(mesh.vertexCapacity) + 1, 0);
    for (size_t s = 0; s < segmentCount; ++s) ++bucketStart[lower(s) + 1];
    for (size_t v = 1; v < bucketStart.size(); ++v) bucketStart[v] += bucketStart[v - 1];
    std::vector<uint32_t> bySegment(segmentCount);
    std::vector<uint32_t> filled(bucketStart.begin(), bucketStart.end() - 1);
    for (size_t s = 0; s < segmentCount; ++s) bySegment[filled[lower(s)]++] = static_cast<uint32_t>(s);
    std::vector<uint8_t> repeated(segmentCount, 0);
    for (size_t v = 0; v + 1 < bucketStart.size(); ++v) {
        auto first = bySegment.begin() + bucketStart[v];
        auto last = bySegment.begin() + bucketStart[v + 1];
        // Same upper vertex together, the earliest segment first.
        std::sort(first, last, [&](uint32_t a, uint32_t b) {
            return upper(a) != upper(b) ? upper(a) < upper(b) : a < b;
        });
        for (auto it = first; it != last; ++it) {
            if (it != first && upper(*it) == upper(*(it - 1))) repeated[*it] = 1;
        }
    }
    drawing.edgeIndices.clear();
    for (size_t s = 0; s < segmentCount; ++s) {
        if (repeated[s] == 0) drawing.edgeIndices.insert(drawing.edgeIndices.end(), {segments[2 * s], segments[2 * s + 1]});
    }
}

void packEdgeCoordinates() {
    size_t stored = static_cast<size_t>(mesh.vertexCapacity);
    render.drawing.edgePositions.resize(3 * stored);
    float* out = render.drawing.edgePositions.data();
    for (size_t v = 0; v < stored; ++v) {
        *out++ = mesh.vertexX[v];
        *out++ = mesh.vertexY[v];
        *out++ = mesh.vertexZ[v];
    }
}

}  // namespace

void noteMeshChanges() {
    DrawingCaches& drawing = render.drawing;
    if (drawing.measuredFaceRevision == mesh.faceRevision && drawing.measuredVertexRevision == mesh.vertexRevision) {
        return;
    }
    drawing.longestBaseEdge = measureLongestBaseEdge(mesh);
    drawing.measuredFaceRevision = mesh.faceRevision;
    drawing.measuredVertexRevision = mesh.vertexRevision;
}

bool refreshFaceArrays(const MappingSettings& settings) {
    DrawingCaches& drawing = render.drawing;
    if (static_cast<uint64_t>(mesh.faceCount) * 4 > UINT32_MAX) return false;
    bool current = drawing.facesFaceRevision == mesh.faceRevision &&
                   drawing.facesVertexRevision == mesh.vertexRevision &&
                   std::memcmp(&drawing.facesSettings, &settings, sizeof settings) == 0;
    try {
        if (!current) {
            drawing.facesFaceRevision = notMade;
            buildFaceArrays(settings);
            drawing.facesFaceRevision = mesh.faceRevision;
            drawing.facesVertexRevision = mesh.vertexRevision;
            drawing.facesSettings = settings;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    orientFaceNormals();
    return true;
}

bool refreshEdgeArrays() {
    DrawingCaches& drawing = render.drawing;
    try {
        if (drawing.edgesFaceRevision != mesh.faceRevision) {
            drawing.edgesFaceRevision = notMade;
            buildEdgeList();
            drawing.edgesFaceRevision = mesh.faceRevision;
        }
        if (drawing.edgesVertexRevision != mesh.vertexRevision) {
            drawing.edgesVertexRevision = notMade;
            packEdgeCoordinates();
            drawing.edgesVertexRevision = mesh.vertexRevision;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
