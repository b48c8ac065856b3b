// The seven mesh arrays built aside from the global mesh, so that a
// remodelling step replaces the model whole or not at all.
#pragma once

#include <cstddef>
#include <cstdint>

struct MeshArrays {
    int32_t vertexCount = 0;
    int32_t faceCount = 0;
    float* vertexX = nullptr;
    float* vertexY = nullptr;
    float* vertexZ = nullptr;
    int32_t* faceA = nullptr;
    int32_t* faceB = nullptr;
    int32_t* faceC = nullptr;
    int32_t* faceD = nullptr;
};

// Largest face count a mesh may reach: every corner index of the remodelling
// tables (3 per face) and the Loop result (4 per face) must fit an int32.
constexpr int64_t maxRemodelFaces = INT32_MAX / 4;

// Asks the kernel for 2 MB pages over a large heap block (a hint only).
void adviseHugePages(void* block, size_t bytes);

// The global mesh's arrays, not owned.
MeshArrays globalMeshView();
// Allocates every array with exactly the given counts, all or nothing. The
// counts are recorded; the contents are left undefined.
bool allocateMeshArrays(MeshArrays& arrays, int32_t vertexCount, int32_t faceCount);
void releaseMeshArrays(MeshArrays& arrays);
// Releases the global mesh's arrays and gives it these ones, counts and
// capacities included; `arrays` is left empty.
void installMeshArrays(MeshArrays& arrays);
