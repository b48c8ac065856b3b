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
    size_t faceCount = static_cast<size_t>(mesh.faceCount);
    render.drawing.facePositions.clear();
    render.drawing.faceTexturePoints.clear();
    render.drawing.faceIndices.clear();
    render.drawing.faceUnitNormals.clear();
    render.drawing.faceCornerCounts.clear();
    render.drawing.facePositions.reserve(12 * faceCount);
    render.drawing.faceTexturePoints.reserve(8 * faceCount);
    render.drawing.faceIndices.reserve(6 * faceCount);
    render.drawing.faceUnitNormals.reserve(faceCount);
    render.drawing.faceCornerCounts.reserve(faceCount);
    uint32_t cornerCount = 0;
    for (int f = 0; f < mesh.faceCount; ++f) {
        if (!faceCornersStored(mesh, f)) continue;
        int32_t corners[4];
        int count = faceCorners(f, corners);
        TexturePoint points[4];
        faceTextureCoordinates(f, settings, points);
        for (int k = 0; k < count; ++k) {
            int32_t v = corners[k];
            render.drawing.facePositions.insert(render.drawing.facePositions.end(),
                                         {mesh.vertexX[v], mesh.vertexY[v], mesh.vertexZ[v]});
            render.drawing.faceTexturePoints.insert(render.drawing.faceTexturePoints.end(), {points[k].s, points[k].t});
        }
        render.drawing.faceUnitNormals.push_back(unitNormal(vertexPosition(corners[0]), vertexPosition(corners[1]),
                                                     vertexPosition(corners[2])));
        render.drawing.faceCornerCounts.push_back(static_cast<uint8_t>(count));
        appendFaceTriangles(cornerCount, count, render.drawing.faceIndices);
        cornerCount += static_cast<uint32_t>(count);
    }
    render.drawing.faceNormals.resize(3 * static_cast<size_t>(cornerCount));
    render.drawing.faceNormalReversed.assign(render.drawing.faceCornerCounts.size(), 2);
}

// Each face normal turned toward the viewer, as the immediate path turns it;
// only the faces whose side changed since the last drawing are rewritten.
void orientFaceNormals() {
    Vec3 toward = render.drawing.viewerDirection;
    float* out = render.drawing.faceNormals.data();
    for (size_t k = 0; k < render.drawing.faceUnitNormals.size(); ++k) {
        Vec3 n = render.drawing.faceUnitNormals[k];
        uint8_t reversed = dot3(n, toward) < 0.0f ? 1 : 0;
        int count = render.drawing.faceCornerCounts[k];
        if (reversed != render.drawing.faceNormalReversed[k]) {
            render.drawing.faceNormalReversed[k] = reversed;
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
    render.drawing.edgeIndices.clear();
    for (size_t s = 0; s < segmentCount; ++s) {
        if (repeated[s] == 0) render.drawing.edgeIndices.insert(render.drawing.edgeIndices.end(), {segments[2 * s], segments[2 * s + 1]});
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
    if (render.drawing.measuredFaceRevision == mesh.faceRevision && render.drawing.measuredVertexRevision == mesh.vertexRevision) {
        return;
    }
    render.drawing.longestBaseEdge = measureLongestBaseEdge(mesh);
    render.drawing.measuredFaceRevision = mesh.faceRevision;
    render.drawing.measuredVertexRevision = mesh.vertexRevision;
}

bool refreshFaceArrays(const MappingSettings& settings) {
    if (static_cast<uint64_t>(mesh.faceCount) * 4 > UINT32_MAX) return false;
    bool current = render.drawing.facesFaceRevision == mesh.faceRevision &&
                   render.drawing.facesVertexRevision == mesh.vertexRevision &&
                   std::memcmp(&render.drawing.facesSettings, &settings, sizeof settings) == 0;
    try {
        if (!current) {
            render.drawing.facesFaceRevision = notMade;
            buildFaceArrays(settings);
            render.drawing.facesFaceRevision = mesh.faceRevision;
            render.drawing.facesVertexRevision = mesh.vertexRevision;
            render.drawing.facesSettings = settings;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    orientFaceNormals();
    return true;
}

bool refreshEdgeArrays() {
    try {
        if (render.drawing.edgesFaceRevision != mesh.faceRevision) {
            render.drawing.edgesFaceRevision = notMade;
            buildEdgeList();
            render.drawing.edgesFaceRevision = mesh.faceRevision;
        }
        if (render.drawing.edgesVertexRevision != mesh.vertexRevision) {
            render.drawing.edgesVertexRevision = notMade;
            packEdgeCoordinates();
            render.drawing.edgesVertexRevision = mesh.vertexRevision;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}
