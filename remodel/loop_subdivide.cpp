// One step of Loop subdivision over the global mesh: the old vertices move by
// the even rule, a new vertex is made on every edge by the odd rule, and every
// triangle becomes its middle triangle plus three corner triangles.
#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "mesh/mesh.h"
#include "remodel/loop_rules.h"
#include "remodel/loop_tables.h"
#include "remodel/remodel.h"
#include "remodel/triangulate.h"

namespace {

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

void moveOldVertices(const Mesh& triangles, const LoopTables& tables, Mesh& result) {
    float* const moved[3] = {result.vertexX, result.vertexY, result.vertexZ};
    RingWork work;
    work.occurrences.assign(static_cast<size_t>(triangles.vertexCount), 0);
    for (int32_t v = 0; v < triangles.vertexCount; ++v) moveVertex(triangles, tables, v, work, moved);
}

struct EdgeVertexMaker {
    const Mesh& triangles;
    const LoopTables& tables;
    Mesh& result;
    std::unique_ptr<int32_t[]> edgeVertex;
    int32_t nextVertex;
};

// The new vertex on the edge of `slot`, which runs from `from` to `to`, made
// by the odd rule on first use. The rule is symmetric in the two ends.
int32_t makeEdgeVertex(EdgeVertexMaker& maker, int32_t slot, int32_t from, int32_t to) {
    int32_t edge = maker.tables.edgeOfSlot[slot];
    if (maker.edgeVertex[edge] >= 0) return maker.edgeVertex[edge];
    int32_t first = maker.tables.firstOpposite[edge];
    int32_t second = maker.tables.secondOpposite[edge];
    int32_t made = maker.nextVertex++;
    CoordinateAxes old = axesOf(maker.triangles);
    float* target[3] = {maker.result.vertexX, maker.result.vertexY, maker.result.vertexZ};
    for (int axis = 0; axis < 3; ++axis) {
        const float* p = old.axis[axis];
        target[axis][made] = second < 0 ? boundaryOddCoordinate(p[from], p[to])
                                        : interiorOddCoordinate(p[from], p[to], p[first], p[second]);
    }
    maker.edgeVertex[edge] = made;
    return made;
}

void setTriangle(Mesh& arrays, int32_t f, int32_t a, int32_t b, int32_t c) {
    arrays.faceA[f] = a;
    arrays.faceB[f] = b;
    arrays.faceC[f] = c;
    arrays.faceD[f] = -1;
}

// Splits every face; new edge vertices are numbered in order of first use:
// each face's edges BC, CA, AB, face after face.
void splitFaces(EdgeVertexMaker& maker) {
    const Mesh& triangles = maker.triangles;
    int32_t faceCount = triangles.faceCount;
    for (int32_t f = 0; f < faceCount; ++f) {
        int32_t a = triangles.faceA[f], b = triangles.faceB[f], c = triangles.faceC[f];
        int32_t bc = makeEdgeVertex(maker, 3 * f + 1, b, c);
        int32_t ca = makeEdgeVertex(maker, 3 * f + 2, c, a);
        int32_t ab = makeEdgeVertex(maker, 3 * f, a, b);
        int32_t corner = faceCount + 3 * f;
        setTriangle(maker.result, corner, a, ab, ca);
        setTriangle(maker.result, corner + 1, b, bc, ab);
        setTriangle(maker.result, corner + 2, c, ca, bc);
        setTriangle(maker.result, f, bc, ca, ab);
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
    EdgeVertexMaker maker{triangles, tables, result,
                          std::make_unique<int32_t[]>(static_cast<size_t>(tables.edgeCount)),
                          triangles.vertexCount};
    std::fill(maker.edgeVertex.get(), maker.edgeVertex.get() + tables.edgeCount, -1);
    splitFaces(maker);
    // Every edge slot names an edge of the table, so each edge gets exactly
    // one vertex; anything else means the tables are not those of this mesh.
    if (maker.nextVertex != result.vertexCount) return RemodelStatus::ImpossibleModel;
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
