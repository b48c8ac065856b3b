#include "mesh/mesh.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/huge_pages.h"

Mesh mesh;

namespace {

template <typename T>
bool reallocExactly(T*& array, int32_t count) {
    size_t bytes = sizeof(T) * static_cast<size_t>(count > 0 ? count : 1);
    void* grown = std::realloc(array, bytes);
    if (grown == nullptr) return false;
    array = static_cast<T*>(grown);
    return true;
}

template <typename T>
T* newArray(int32_t count, ArrayFill fill) {
    if (fill == ArrayFill::Zeroed) return static_cast<T*>(std::calloc(static_cast<size_t>(count), sizeof(T)));
    // malloc, not new: the mesh grows its arrays with realloc later on.
    size_t bytes = static_cast<size_t>(count > 0 ? count : 1) * sizeof(T);
    T* array = static_cast<T*>(std::malloc(bytes));
    adviseHugePages(array, bytes);
    return array;
}

}  // namespace

bool newModel() {
    bool allocated = allocateMeshArrays(mesh, 1, 1, ArrayFill::Zeroed);
    if (!allocated) mesh.vertexCount = mesh.faceCount = 0;
    mesh.modelScale = 1.0f;
    mesh.modelCenter[0] = mesh.modelCenter[1] = mesh.modelCenter[2] = 0.0f;
    mesh.textureFileName[0] = '\0';
    mesh.commonBaseLength = 1.0f;
    return allocated;
}

void freeModel() {
    releaseMeshArrays(mesh);
}

bool allocateMeshArrays(Mesh& m, int32_t vertexCount, int32_t faceCount, ArrayFill fill) {
    m.vertexX = newArray<float>(vertexCount, fill);
    m.vertexY = newArray<float>(vertexCount, fill);
    m.vertexZ = newArray<float>(vertexCount, fill);
    m.faceA = newArray<int32_t>(faceCount, fill);
    m.faceB = newArray<int32_t>(faceCount, fill);
    m.faceC = newArray<int32_t>(faceCount, fill);
    m.faceD = newArray<int32_t>(faceCount, fill);
    if (!(m.vertexX && m.vertexY && m.vertexZ && m.faceA && m.faceB && m.faceC && m.faceD)) {
        releaseMeshArrays(m);
        return false;
    }
    m.vertexCount = m.vertexCapacity = vertexCount;
    m.faceCount = m.faceCapacity = faceCount;
    return true;
}

void installMeshArrays(Mesh& built) {
    freeModel();
    mesh.vertexX = built.vertexX;
    mesh.vertexY = built.vertexY;
    mesh.vertexZ = built.vertexZ;
    mesh.faceA = built.faceA;
    mesh.faceB = built.faceB;
    mesh.faceC = built.faceC;
    mesh.faceD = built.faceD;
    mesh.vertexCount = built.vertexCount;
    mesh.faceCount = built.faceCount;
    mesh.vertexCapacity = built.vertexCapacity;
    mesh.faceCapacity = built.faceCapacity;
    built = Mesh{};
}

void releaseMeshArrays(Mesh& m) {
    float** vertexArrays[] = {&m.vertexX, &m.vertexY, &m.vertexZ};
    for (float** array : vertexArrays) {
        std::free(*array);
        *array = nullptr;
    }
    int32_t** faceArrays[] = {&m.faceA, &m.faceB, &m.faceC, &m.faceD};
    for (int32_t** array : faceArrays) {
        std::free(*array);
        *array = nullptr;
    }
    m.vertexCapacity = 0;
    m.faceCapacity = 0;
}

void swapInts(int32_t* p, int32_t* q) {
    int32_t kept = *p;
    *p = *q;
    *q = kept;
}

void swapFloats(float* p, float* q) {
    float kept = *p;
    *p = *q;
    *q = kept;
}

void flipFace(int f) {
    assert(f >= 0 && f < mesh.faceCapacity);
    swapInts(&mesh.faceA[f], &mesh.faceB[f]);
    if (mesh.faceD[f] >= 0) swapInts(&mesh.faceC[f], &mesh.faceD[f]);
}

float distanceBetween(const Mesh& m, int i, int j) {
    assert(i >= 0 && i < m.vertexCapacity && j >= 0 && j < m.vertexCapacity);
    float dx = m.vertexX[i] - m.vertexX[j];
    float dy = m.vertexY[i] - m.vertexY[j];
    float dz = m.vertexZ[i] - m.vertexZ[j];
    double sum = static_cast<double>(dx) * dx + static_cast<double>(dy) * dy +
                 static_cast<double>(dz) * dz;
    return static_cast<float>(std::sqrt(sum));
}

float vertexDistance(int i, int j) {
    return distanceBetween(mesh, i, j);
}

bool resizeVertexArrays(int32_t count) {
    // Grow one array at a time; on failure the arrays already moved are still
    // valid and at least as large as before, so the mesh stays usable.
    if (!reallocExactly(mesh.vertexX, count) || !reallocExactly(mesh.vertexY, count) ||
        !reallocExactly(mesh.vertexZ, count)) {
        return false;
    }
    mesh.vertexCapacity = count;
    if (mesh.vertexCount > count) mesh.vertexCount = count;
    return true;
}

bool resizeFaceArrays(int32_t count) {
    if (!reallocExactly(mesh.faceA, count) || !reallocExactly(mesh.faceB, count) ||
        !reallocExactly(mesh.faceC, count) || !reallocExactly(mesh.faceD, count)) {
        return false;
    }
    mesh.faceCapacity = count;
    if (mesh.faceCount > count) mesh.faceCount = count;
    return true;
}

bool meshIsConsistent(const Mesh& m) {
    if (m.vertexCount < 0 || m.faceCount < 0) return false;
    if (m.vertexCount > m.vertexCapacity || m.faceCount > m.faceCapacity) return false;
    auto isVertex = [&](int32_t v) { return v >= 0 && v < m.vertexCount; };
    for (int32_t f = 0; f < m.faceCount; ++f) {
        if (!isVertex(m.faceA[f]) || !isVertex(m.faceB[f]) || !isVertex(m.faceC[f])) return false;
        if (m.faceD[f] != -1 && !isVertex(m.faceD[f])) return false;
    }
    return true;
}

bool faceCornersStored(const Mesh& m, int f) {
    if (f < 0 || f >= m.faceCapacity) return false;
    auto stored = [&](int32_t v) {
        return static_cast<uint32_t>(v) < static_cast<uint32_t>(m.vertexCapacity);
    };
    int32_t d = m.faceD[f];
    return stored(m.faceA[f]) && stored(m.faceB[f]) && stored(m.faceC[f]) && (d < 0 || stored(d));
}
