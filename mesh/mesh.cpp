#include "mesh/mesh.h"
#include "mesh/model_picture.h"

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>

Mesh mesh;
ModelPicture modelPicture;

namespace {

// The one source of revision numbers, shared by every record (the readers
// fill their records on more than one thread).
std::atomic<uint64_t> revisionClock{0};

uint64_t nextRevision() {
    return revisionClock.fetch_add(1, std::memory_order_relaxed) + 1;
}

void noteVertexChange(Mesh& m) {
    m.revision = m.vertexRevision = nextRevision();
}

void noteFaceChange(Mesh& m) {
    m.revision = m.faceRevision = nextRevision();
}

// The arrays or the vertex capacity: the faces' corners are checked against
// the capacity, so both parts change.
void noteWholeChange(Mesh& m) {
    m.revision = m.vertexRevision = m.faceRevision = nextRevision();
}

bool sameBits(float a, float b) {
    return std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
}

[[maybe_unused]] bool isStoredVertex(int32_t v) {
    return v >= 0 && v < mesh.vertexCapacity;
}

[[maybe_unused]] bool isStoredFace(int32_t f) {
    return f >= 0 && f < mesh.faceCapacity;
}

void exchangeFaces(int32_t f, int32_t g) {
    swapInts(&mesh.faceA[f], &mesh.faceA[g]);
    swapInts(&mesh.faceB[f], &mesh.faceB[g]);
    swapInts(&mesh.faceC[f], &mesh.faceC[g]);
    swapInts(&mesh.faceD[f], &mesh.faceD[g]);
}

// Exchanges the references to vertices s and n in face f.
void exchangeReferences(int32_t f, int32_t s, int32_t n) {
    int32_t* corners[] = {&mesh.faceA[f], &mesh.faceB[f], &mesh.faceC[f], &mesh.faceD[f]};
    for (int32_t* corner : corners) {
        if (*corner == s) {
            *corner = n;
        } else if (*corner == n) {
            *corner = s;
        }
    }
}

bool usesVertex(int32_t f, int32_t v) {
    return mesh.faceA[f] == v || mesh.faceB[f] == v || mesh.faceC[f] == v || mesh.faceD[f] == v;
}

bool refersToVerticesBelow(int32_t f, int32_t count) {
    auto isVertex = [count](int32_t v) { return v >= 0 && v < count; };
    return isVertex(mesh.faceA[f]) && isVertex(mesh.faceB[f]) && isVertex(mesh.faceC[f]) &&
           (mesh.faceD[f] == -1 || isVertex(mesh.faceD[f]));
}

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
    return static_cast<T*>(std::malloc(bytes));
}

}  // namespace

bool newModel() {
    bool allocated = allocateMeshArrays(mesh, 1, 1, ArrayFill::Zeroed);
    if (!allocated) mesh.vertexCount = mesh.faceCount = 0;
    mesh.modelScale = 1.0f;
    mesh.modelCenter[0] = mesh.modelCenter[1] = mesh.modelCenter[2] = 0.0f;
    mesh.textureFileName[0] = '\0';
    mesh.commonBaseLength = 1.0f;
    noteWholeChange(mesh);
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
    noteWholeChange(m);
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
    noteWholeChange(mesh);
}

void replaceMesh(Mesh& into, Mesh& built) {
    releaseMeshArrays(into);
    into = built;
    built = Mesh{};
    noteWholeChange(into);
}

void emptyMesh(Mesh& m) {
    releaseMeshArrays(m);
    m = Mesh{};
    noteWholeChange(m);
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
    noteWholeChange(m);
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
    assert(isStoredFace(f));
    swapInts(&mesh.faceA[f], &mesh.faceB[f]);
    if (mesh.faceD[f] >= 0) swapInts(&mesh.faceC[f], &mesh.faceD[f]);
    noteFaceChange(mesh);
}

void setVertexPosition(int32_t v, float x, float y, float z) {
    assert(isStoredVertex(v));
    // A vertex held still under a drag is placed again every frame: that
    // changes nothing and must not make the drawing rebuild its arrays.
    if (sameBits(mesh.vertexX[v], x) && sameBits(mesh.vertexY[v], y) && sameBits(mesh.vertexZ[v], z)) return;
    mesh.vertexX[v] = x;
    mesh.vertexY[v] = y;
    mesh.vertexZ[v] = z;
    noteVertexChange(mesh);
}

void setFaceCorners(int32_t f, int32_t a, int32_t b, int32_t c, int32_t d) {
    assert(isStoredFace(f));
    if (mesh.faceA[f] == a && mesh.faceB[f] == b && mesh.faceC[f] == c && mesh.faceD[f] == d) return;
    mesh.faceA[f] = a;
    mesh.faceB[f] = b;
    mesh.faceC[f] = c;
    mesh.faceD[f] = d;
    noteFaceChange(mesh);
}

bool addVertex(float x, float y, float z) {
    const int32_t count = mesh.vertexCount + 1;
    if (!resizeVertexArrays(count)) return false;
    mesh.vertexCount = count;
    setVertexPosition(count - 1, x, y, z);
    return true;
}

bool addFace(int32_t a, int32_t b, int32_t c, int32_t d) {
    [[maybe_unused]] auto isVertex = [](int32_t v) { return v >= 0 && v < mesh.vertexCount; };
    assert(isVertex(a) && isVertex(b) && isVertex(c) && (d == -1 || isVertex(d)));
    const int32_t count = mesh.faceCount + 1;
    if (!resizeFaceArrays(count)) return false;
    mesh.faceCount = count;
    setFaceCorners(count - 1, a, b, c, d);
    return true;
}

void dropLastVertex() {
    assert(mesh.vertexCount > 0);
    mesh.vertexCount -= 1;
    // The entry stays stored: coordinates and capacity are as they were.
    mesh.revision = nextRevision();
}

void dropLastFace() {
    assert(mesh.faceCount > 0);
    mesh.faceCount -= 1;
    noteFaceChange(mesh);
}

int32_t removeVertex(int32_t s) {
    assert(s >= 0 && s < mesh.vertexCount);
    mesh.vertexCount -= 1;
    const int32_t n = mesh.vertexCount;
    swapFloats(&mesh.vertexX[n], &mesh.vertexX[s]);
    swapFloats(&mesh.vertexY[n], &mesh.vertexY[s]);
    swapFloats(&mesh.vertexZ[n], &mesh.vertexZ[s]);
    // One pass does both the renumbering and the removal: the faces from
    // index i on have not been renumbered yet, and a face moved in from the
    // end is examined again at i.
    int32_t removed = 0;
    int32_t i = 0;
    while (i < mesh.faceCount) {
        exchangeReferences(i, s, n);
        if (usesVertex(i, n)) {
            mesh.faceCount -= 1;
            removed += 1;
            exchangeFaces(i, mesh.faceCount);
            continue;
        }
        ++i;
    }
    noteWholeChange(mesh);
    return removed;
}

void removeFace(int32_t f) {
    assert(f >= 0 && f < mesh.faceCount);
    mesh.faceCount -= 1;
    exchangeFaces(f, mesh.faceCount);
    noteFaceChange(mesh);
}

bool restoreEntriesPastCounts(int32_t vertices, int32_t faces) {
    assert(vertices >= 0 && faces >= 0);
    if (vertices == 0 && faces == 0) return true;
    const int64_t vertexCount = int64_t{mesh.vertexCount} + vertices;
    const int64_t faceCount = int64_t{mesh.faceCount} + faces;
    if (vertexCount > mesh.vertexCapacity || faceCount > mesh.faceCapacity) return false;
    for (int32_t f = mesh.faceCount; f < faceCount; ++f) {
        if (!refersToVerticesBelow(f, static_cast<int32_t>(vertexCount))) return false;
    }
    setMeshCounts(static_cast<int32_t>(vertexCount), static_cast<int32_t>(faceCount));
    return true;
}

void setMeshCounts(int32_t vertexCount, int32_t faceCount) {
    assert(vertexCount >= 0 && vertexCount <= mesh.vertexCapacity);
    assert(faceCount >= 0 && faceCount <= mesh.faceCapacity);
    mesh.vertexCount = vertexCount;
    mesh.faceCount = faceCount;
    noteWholeChange(mesh);
}

bool setTextureName(Mesh& m, std::string_view name) {
    if (name.size() >= sizeof m.textureFileName) return false;
    std::memset(m.textureFileName, 0, sizeof m.textureFileName);
    std::memcpy(m.textureFileName, name.data(), name.size());
    m.revision = nextRevision();
    return true;
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
    noteWholeChange(mesh);
    return true;
}

bool resizeFaceArrays(int32_t count) {
    if (!reallocExactly(mesh.faceA, count) || !reallocExactly(mesh.faceB, count) ||
        !reallocExactly(mesh.faceC, count) || !reallocExactly(mesh.faceD, count)) {
        return false;
    }
    mesh.faceCapacity = count;
    if (mesh.faceCount > count) mesh.faceCount = count;
    noteFaceChange(mesh);
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
