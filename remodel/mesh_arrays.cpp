#include "remodel/mesh_arrays.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

#include "mesh/mesh.h"

namespace {

template <typename T>
T* allocateExactly(int32_t count) {
    // malloc, not new: the mesh grows its arrays with realloc later on.
    size_t entries = static_cast<size_t>(count > 0 ? count : 1);
    T* array = static_cast<T*>(std::malloc(entries * sizeof(T)));
    if (array != nullptr) adviseHugePages(array, entries * sizeof(T));
    return array;
}

}  // namespace

void adviseHugePages(void* block, size_t bytes) {
    // Big arrays are written once from end to end: 2 MB pages save the
    // kernel hundreds of thousands of page faults on a large mesh.
    const uintptr_t hugePage = uintptr_t{1} << 21;
    if (bytes < 2 * hugePage) return;
    uintptr_t begin = (reinterpret_cast<uintptr_t>(block) + hugePage - 1) & ~(hugePage - 1);
    uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~(hugePage - 1);
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

MeshArrays globalMeshView() {
    return MeshArrays{mesh.vertexCount, mesh.faceCount, mesh.vertexX, mesh.vertexY,
                      mesh.vertexZ,     mesh.faceA,     mesh.faceB,   mesh.faceC,
                      mesh.faceD};
}

bool allocateMeshArrays(MeshArrays& arrays, int32_t vertexCount, int32_t faceCount) {
    arrays = MeshArrays{};
    arrays.vertexX = allocateExactly<float>(vertexCount);
    arrays.vertexY = allocateExactly<float>(vertexCount);
    arrays.vertexZ = allocateExactly<float>(vertexCount);
    arrays.faceA = allocateExactly<int32_t>(faceCount);
    arrays.faceB = allocateExactly<int32_t>(faceCount);
    arrays.faceC = allocateExactly<int32_t>(faceCount);
    arrays.faceD = allocateExactly<int32_t>(faceCount);
    bool complete = arrays.vertexX && arrays.vertexY && arrays.vertexZ && arrays.faceA &&
                    arrays.faceB && arrays.faceC && arrays.faceD;
    if (!complete) {
        releaseMeshArrays(arrays);
        return false;
    }
    arrays.vertexCount = vertexCount;
    arrays.faceCount = faceCount;
    return true;
}

void releaseMeshArrays(MeshArrays& arrays) {
    std::free(arrays.vertexX);
    std::free(arrays.vertexY);
    std::free(arrays.vertexZ);
    std::free(arrays.faceA);
    std::free(arrays.faceB);
    std::free(arrays.faceC);
    std::free(arrays.faceD);
    arrays = MeshArrays{};
}

void installMeshArrays(MeshArrays& arrays) {
    freeModel();
    mesh.vertexX = arrays.vertexX;
    mesh.vertexY = arrays.vertexY;
    mesh.vertexZ = arrays.vertexZ;
    mesh.faceA = arrays.faceA;
    mesh.faceB = arrays.faceB;
    mesh.faceC = arrays.faceC;
    mesh.faceD = arrays.faceD;
    mesh.vertexCount = mesh.vertexCapacity = arrays.vertexCount;
    mesh.faceCount = mesh.faceCapacity = arrays.faceCount;
    arrays = MeshArrays{};
}
