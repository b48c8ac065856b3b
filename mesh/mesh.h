// The one polygon model the program works on: vertex coordinates and face
// corner lists in structure-of-arrays form, plus what ties it to its file.
#pragma once

#include <cassert>
#include <cstdint>

struct Mesh {
    int32_t vertexCount = 0;
    int32_t faceCount = 0;
    // Entries allocated in each vertex array and each face array. The counts
    // may be lower: removed entries stay behind the count for the undo.
    int32_t vertexCapacity = 0;
    int32_t faceCapacity = 0;
    float* vertexX = nullptr;
    float* vertexY = nullptr;
    float* vertexZ = nullptr;
    int32_t* faceA = nullptr;
    int32_t* faceB = nullptr;
    int32_t* faceC = nullptr;
    int32_t* faceD = nullptr;  // -1 for a triangle
    float modelScale = 1.0f;
    float modelCenter[3] = {0.0f, 0.0f, 0.0f};
    char textureFileName[124] = {};
    float commonBaseLength = 1.0f;
};

extern Mesh mesh;

// Starting model: one vertex at the origin and the four-corner face (0, 0, 0, 0).
// Does not release the previous arrays; call freeModel first. Returns false,
// with an empty model, when even those seven entries cannot be allocated.
bool newModel();
// Releases the seven arrays; counts and other fields stay as they are.
void freeModel();
// Reverses the winding of face f, keeping its base edge on the same two vertices.
void flipFace(int f);
void swapInts(int32_t* p, int32_t* q);
void swapFloats(float* p, float* q);
// Distance between stored vertices i and j: float differences, double sum of
// squares, float square root.
float vertexDistance(int i, int j);

enum class ArrayFill {
    Zeroed,
    // Left unset, with the huge-page hint: for arrays written whole at once.
    Uninitialised,
};
// Allocates the seven arrays of m with exactly these counts and sets its
// counts and capacities to them. All or nothing: on failure m holds no arrays
// (the other fields are left as they were). The previous arrays of m are not
// released.
bool allocateMeshArrays(Mesh& m, int32_t vertexCount, int32_t faceCount, ArrayFill fill);
// Releases the seven arrays of m, leaves them null and the capacities 0.
void releaseMeshArrays(Mesh& m);
// Releases the global mesh's arrays and gives it those of `built`, counts and
// capacities included; the global mesh keeps its scale, centre, texture name
// and common base length. `built` is left empty.
void installMeshArrays(Mesh& built);
// vertexDistance's arithmetic on any mesh.
float distanceBetween(const Mesh& m, int i, int j);

// Reallocates the vertex arrays (or the face arrays) to exactly `count`
// entries. Returns false and leaves the mesh untouched when memory runs out.
bool resizeVertexArrays(int32_t count);
bool resizeFaceArrays(int32_t count);

// True when every corner of every face below faceCount is a vertex index
// below vertexCount (faceD may also be -1) and the counts fit the arrays.
bool meshIsConsistent(const Mesh& m);
// True when f is a stored face of m and every corner of it names a stored
// vertex (faceD may be negative), so that the face can be measured and drawn
// without reading outside the arrays. Entries kept past the counts for the
// undo count as stored.
bool faceCornersStored(const Mesh& m, int f);

// The corners A, B, C, D of face f (D = -1 for a triangle); returns 3 or 4.
inline int faceCorners(int f, int32_t corners[4]) {
    corners[0] = mesh.faceA[f];
    corners[1] = mesh.faceB[f];
    corners[2] = mesh.faceC[f];
    corners[3] = mesh.faceD[f];
    return corners[3] < 0 ? 3 : 4;
}

inline bool isTriangle(int f) {
    assert(f >= 0 && f < mesh.faceCapacity);
    return mesh.faceD[f] < 0;
}
