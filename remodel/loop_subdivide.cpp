// One step of Loop subdivision over the global mesh: the old vertices move by
// the even rule, a new vertex is made on every edge by the odd rule, and every
// triangle becomes its middle triangle plus three corner triangles.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "core/two_halves.h"
#include "mesh/mesh.h"
#include "remodel/loop_rules.h"
#include "remodel/loop_tables.h"
#include "remodel/remodel.h"
#include "remodel/triangulate.h"

namespace {

// Runs work(begin, end) over the two halves of [0, count) at once.
template <typename Work>
void onTwoCores(int32_t count, const Work& work) {
    const int32_t half = count / 2;
    runHalvesAtOnce([&](int which) { which == 0 ? work(0, half) : work(half, count); });
}

struct CoordinateAxes {
    const float* axis[3];
};

CoordinateAxes axesOf(const Mesh& arrays) {
    return CoordinateAxes{{arrays.vertexX, arrays.vertexY, arrays.vertexZ}};
}

// The ring of v: for each of its corners in slot order, the two other corners
// of the face in cycle order after v.
int32_t gatherRing(const Mesh& triangles, const LoopTables& tables, int32_t v,
                   std::vector<int32_t>& ring) {
    int32_t begin = tables.cornerStart[v], end = tables.cornerStart[v + 1];
    ring.resize(2 * static_cast<size_t>(end - begin));
    int32_t count = 0;
    for (int32_t i = begin; i < end; ++i) {
        int32_t slot = tables.cornersByVertex[i];
        int32_t f = slot / 3;
        int32_t a = triangles.faceA[f], b = triangles.faceB[f], c = triangles.faceC[f];
        switch (slot - 3 * f) {
            case 0: ring[count] = b, ring[count + 1] = c; break;
            case 1: ring[count] = c, ring[count + 1] = a; break;
            default: ring[count] = a, ring[count + 1] = b; break;
        }
        count += 2;
    }
    return count;
}

// Scratch lists of the even rule, reused from vertex to vertex.
struct RingWork {
    std::vector<int32_t> ring;
    std::vector<int32_t> occurrences;  // by vertex, zero between rings
};

// The even rule for vertex v, from the old positions into `moved`.
void moveVertex(const Mesh& triangles, const LoopTables& tables, int32_t v, RingWork& work,
                float* const moved[3]) {
    CoordinateAxes old = axesOf(triangles);
    int32_t count = gatherRing(triangles, tables, v, work.ring);
    const int32_t* ring = work.ring.data();
    if (count == 0) {  // used by no face
        for (int axis = 0; axis < 3; ++axis) moved[axis][v] = old.axis[axis][v];
        return;
    }
    for (int32_t i = 0; i < count; ++i) ++work.occurrences[ring[i]];
    int32_t singletons = moveSingletonsFirst(work.ring.data(), count, work.occurrences.data());
    for (int32_t i = 0; i < count; ++i) work.occurrences[ring[i]] = 0;
    if (singletons == 2) {  // on a boundary: its two boundary neighbours only
        for (int axis = 0; axis < 3; ++axis) {
            const float* p = old.axis[axis];
            moved[axis][v] = boundaryEvenCoordinate(p[ring[0]], p[v], p[ring[1]]);
        }
        return;
    }
    EvenWeights weights = interiorWeights(count / 2);
    for (int axis = 0; axis < 3; ++axis) {
        const float* p = old.axis[axis];
        float sum = 0.0f;
        for (int32_t i = 0; i < count; ++i) sum += p[ring[i]];
        moved[axis][v] = interiorEvenCoordinate(weights, sum, p[v]);
    }
}

// Each vertex moves on its own: the two halves of the vertices at once.
void moveOldVertices(const Mesh& triangles, const LoopTables& tables, Mesh& result) {
    float* const moved[3] = {result.vertexX, result.vertexY, result.vertexZ};
    onTwoCores(triangles.vertexCount, [&](int32_t begin, int32_t end) {
        RingWork work;
        work.occurrences.assign(static_cast<size_t>(triangles.vertexCount), 0);
        for (int32_t v = begin; v < end; ++v) moveVertex(triangles, tables, v, work, moved);
    });
}

// The new vertices on the edges: their numbers, given in order of first use
// (each face's edges BC, CA, AB, face after face), and which edge slot used
// each edge first, a bit a slot.
struct EdgeVertices {
    std::unique_ptr<int32_t[]> number;
    std::vector<uint64_t> firstUse;
    int32_t next = 0;
};

bool usedFirst(const EdgeVertices& edges, int32_t slot) {
    return (edges.firstUse[static_cast<size_t>(slot) >> 6] >> (slot & 63)) & 1;
}

// The numbering alone, face after face: the one part of the split that
// depends on the faces before.
void numberEdgeVertices(const LoopTables& tables, int32_t firstNumber, EdgeVertices& edges) {
    edges.number = std::make_unique<int32_t[]>(static_cast<size_t>(tables.edgeCount));
    std::fill(edges.number.get(), edges.number.get() + tables.edgeCount, -1);
    edges.firstUse.assign((3 * static_cast<size_t>(tables.faceCount) + 63) / 64, 0);
    edges.next = firstNumber;
    for (int32_t f = 0; f < tables.faceCount; ++f) {
        for (int32_t slot : {3 * f + 1, 3 * f + 2, 3 * f}) {
            int32_t edge = tables.edgeOfSlot[slot];
            if (edges.number[edge] >= 0) continue;
            edges.number[edge] = edges.next++;
            edges.firstUse[static_cast<size_t>(slot) >> 6] |= uint64_t{1} << (slot & 63);
        }
    }
}

// The new vertex on the edge of `slot`, which runs from `from` to `to`, by
// the odd rule; made where its edge is first used, from that slot's ends.
int32_t edgeVertex(const Mesh& triangles, const LoopTables& tables, const EdgeVertices& edges, Mesh& result,
                   int32_t slot, int32_t from, int32_t to) {
    int32_t edge = tables.edgeOfSlot[slot];
    int32_t made = edges.number[edge];
    if (!usedFirst(edges, slot)) return made;
    int32_t first = tables.firstOpposite[edge];
    int32_t second = tables.secondOpposite[edge];
    CoordinateAxes old = axesOf(triangles);
    float* target[3] = {result.vertexX, result.vertexY, result.vertexZ};
    for (int axis = 0; axis < 3; ++axis) {
        const float* p = old.axis[axis];
        target[axis][made] = second < 0 ? boundaryOddCoordinate(p[from], p[to])
                                        : interiorOddCoordinate(p[from], p[to], p[first], p[second]);
    }
    return made;
}

void setTriangle(Mesh& arrays, int32_t f, int32_t a, int32_t b, int32_t c) {
    arrays.faceA[f] = a;
    arrays.faceB[f] = b;
    arrays.faceC[f] = c;
    arrays.faceD[f] = -1;
}

// Splits faces [begin, end): each writes its own four triangles and the
// edge vertices it uses first.
void splitFaces(const Mesh& triangles, const LoopTables& tables, const EdgeVertices& edges, Mesh& result,
                int32_t begin, int32_t end) {
    int32_t faceCount = triangles.faceCount;
    for (int32_t f = begin; f < end; ++f) {
        int32_t a = triangles.faceA[f], b = triangles.faceB[f], c = triangles.faceC[f];
        int32_t bc = edgeVertex(triangles, tables, edges, result, 3 * f + 1, b, c);
        int32_t ca = edgeVertex(triangles, tables, edges, result, 3 * f + 2, c, a);
        int32_t ab = edgeVertex(triangles, tables, edges, result, 3 * f, a, b);
        int32_t corner = faceCount + 3 * f;
        setTriangle(result, corner, a, ab, ca);
        setTriangle(result, corner + 1, b, bc, ab);
        setTriangle(result, corner + 2, c, ca, bc);
        setTriangle(result, f, bc, ca, ab);
    }
}

RemodelStatus subdivideInto(const Mesh& triangles, Mesh& result) {
    if (triangles.faceCount > maxRemodelFaces) return RemodelStatus::OutOfMemory;
    LoopTables tables;
    buildLoopTables(triangles, tables);
    int64_t vertexTotal = int64_t{triangles.vertexCount} + tables.edgeCount;
    if (vertexTotal > INT32_MAX) return RemodelStatus::OutOfMemory;
    if (!allocateMeshArrays(result, static_cast<int32_t>(vertexTotal), 4 * triangles.faceCount,
                            ArrayFill::Uninitialised)) {
        return RemodelStatus::OutOfMemory;
    }
    moveOldVertices(triangles, tables, result);
    // The corners around each vertex served the move only: their memory goes
    // before the split's own tables come.
    tables.cornerStart.reset();
    tables.cornersByVertex.reset();
    EdgeVertices edges;
    numberEdgeVertices(tables, triangles.vertexCount, edges);
    // Every edge slot names an edge of the table, so each edge gets exactly
    // one vertex; anything else means the tables are not those of this mesh.
    if (edges.next != result.vertexCount) return RemodelStatus::ImpossibleModel;
    onTwoCores(triangles.faceCount, [&](int32_t begin, int32_t end) {
        splitFaces(triangles, tables, edges, result, begin, end);
    });
    return RemodelStatus::Done;
}

// Triangulates aside into `triangles` when four-corner faces exist, then
// subdivides into `result`. Throws std::bad_alloc when memory runs out.
RemodelStatus subdivideGlobalMesh(Mesh& triangles, Mesh& result) {
    const Mesh& source = mesh;
    int32_t fourCornerFaces = countFourCornerFaces(source);
    if (fourCornerFaces == 0) return subdivideInto(source, result);
    RemodelStatus status = triangulateInto(source, fourCornerFaces, triangles);
    if (status != RemodelStatus::Done) return status;
    return subdivideInto(triangles, result);
}

}  // namespace

RemodelStatus loopSubdivide() {
    if (!meshIsConsistent(mesh)) return RemodelStatus::ImpossibleModel;
    Mesh triangles;
    Mesh result;
    RemodelStatus status;
    try {
        status = subdivideGlobalMesh(triangles, result);
    } catch (const std::bad_alloc&) {
        status = RemodelStatus::OutOfMemory;
    }
    releaseMeshArrays(triangles);
    if (status == RemodelStatus::Done) {
        installMeshArrays(result);
    } else {
        releaseMeshArrays(result);
    }
    return status;
}
