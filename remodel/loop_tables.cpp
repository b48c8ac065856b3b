#include "remodel/loop_tables.h"

#include <algorithm>


namespace {

int32_t cornerOf(const Mesh& triangles, int32_t slot) {
    int32_t f = slot / 3;
    switch (slot - 3 * f) {
        case 0: return triangles.faceA[f];
        case 1: return triangles.faceB[f];
        default: return triangles.faceC[f];
    }
}

// An array of `count` entries, left unset.
IndexArray newIndexArray(size_t count) { return std::make_unique_for_overwrite<int32_t[]>(count); }

void buildCornersByVertex(const Mesh& triangles, LoopTables& tables) {
    int32_t vertexCount = triangles.vertexCount;
    int32_t slotCount = 3 * triangles.faceCount;
    tables.cornerStart = std::make_unique<int32_t[]>(static_cast<size_t>(vertexCount) + 1);
    int32_t* start = tables.cornerStart.get();
    // Counting sort of the corner slots by vertex; stable, so each vertex's
    // corners stay in slot order.
    for (int32_t slot = 0; slot < slotCount; ++slot) ++start[cornerOf(triangles, slot) + 1];
    for (int32_t v = 0; v < vertexCount; ++v) start[v + 1] += start[v];
    tables.cornersByVertex = newIndexArray(static_cast<size_t>(slotCount));
    IndexArray next = newIndexArray(static_cast<size_t>(vertexCount) + 1);
    std::copy(start, start + vertexCount + 1, next.get());
    for (int32_t slot = 0; slot < slotCount; ++slot) {
        tables.cornersByVertex[next[cornerOf(triangles, slot)]++] = slot;
    }
}

// Every edge has its smaller end as a corner, so the edges whose smaller end
// is v are met by walking v's faces in face order; `edgeTo[hi]` remembers the
// edge from v to hi while v is walked (entries below firstEdgeOfV are stale).
void buildEdges(const Mesh& triangles, LoopTables& tables) {
    size_t slotCount = 3 * static_cast<size_t>(triangles.faceCount);
    tables.edgeOfSlot = newIndexArray(slotCount);
    tables.firstOpposite = newIndexArray(slotCount);
    tables.secondOpposite = newIndexArray(slotCount);
    IndexArray edgeTo = std::make_unique<int32_t[]>(static_cast<size_t>(triangles.vertexCount));
    std::fill(edgeTo.get(), edgeTo.get() + triangles.vertexCount, -1);
    int32_t edgeCount = 0;
    for (int32_t v = 0; v < triangles.vertexCount; ++v) {
        int32_t firstEdgeOfV = edgeCount;
        int32_t lastFace = -1;
        for (int32_t i = tables.cornerStart[v]; i < tables.cornerStart[v + 1]; ++i) {
            int32_t f = tables.cornersByVertex[i] / 3;
            if (f == lastFace) continue;  // a corner repeated in one face
            lastFace = f;
            int32_t corners[3] = {triangles.faceA[f], triangles.faceB[f], triangles.faceC[f]};
            for (int32_t j = 0; j < 3; ++j) {
                int32_t from = corners[j], to = corners[(j + 1) % 3];
                if (std::min(from, to) != v) continue;
                int32_t hi = std::max(from, to);
                int32_t opposite = corners[(j + 2) % 3];
                int32_t edge = edgeTo[hi];
                if (edge < firstEdgeOfV) {
                    edge = edgeCount++;
                    edgeTo[hi] = edge;
                    tables.firstOpposite[edge] = opposite;
                    tables.secondOpposite[edge] = -1;
                } else if (tables.secondOpposite[edge] < 0) {
                    tables.secondOpposite[edge] = opposite;
                }
                tables.edgeOfSlot[3 * f + j] = edge;
            }
        }
    }
    tables.edgeCount = edgeCount;
}

}  // namespace

void buildLoopTables(const Mesh& triangles, LoopTables& tables) {
    tables.vertexCount = triangles.vertexCount;
    tables.faceCount = triangles.faceCount;
    buildCornersByVertex(triangles, tables);
    buildEdges(triangles, tables);
}
