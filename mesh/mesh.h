// The one polygon model the program works on: vertex coordinates and face
// corner lists in structure-of-arrays form, plus what ties it to its file.
#pragma once

#include <cassert>
#include <cstdint>
#include <string_view>

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
    // Numbers of the last changes: of anything (revision), of the vertex
    // coordinates or capacity (vertexRevision), of the faces, their count or
    // the vertex capacity their corners are checked against (faceRevision).
    // All are drawn from one clock shared by every record, so a number is
    // never given twice: a cache made from the model keeps the numbers it was
    // made from and is stale exactly when they differ. Only the functions
    // below that write the record set them.
    uint64_t revision = 0;
    uint64_t vertexRevision = 0;
    uint64_t faceRevision = 0;
};

extern Mesh mesh;

// Every write of a record's vertices, faces, counts, arrays or texture name,
// once it is in use, goes through the functions below, which number it. (The
// readers and the remodelling fill a record of their own first, then hand it
// over whole.)

// Starting model: one vertex at the origin and the four-corner face (0, 0, 0, 0).
// Does not release the previous arrays; call freeModel first. Returns false,
// with an empty model, when even those seven entries cannot be allocated.
bool newModel();
// Releases the seven arrays; counts and other fields stay as they are.
void freeModel();
// Reverses the winding of face f, keeping its base edge on the same two vertices.
void flipFace(int f);

// Vertex v of the global mesh (a stored vertex: below the capacity, so the
// entries kept past the count for the undo can be placed too).
void setVertexPosition(int32_t v, float x, float y, float z);
// Corners of face f (a stored face); d = -1 for a triangle. Corners are kept
// as given: the drawing and the checks skip a face naming no stored vertex.
void setFaceCorners(int32_t f, int32_t a, int32_t b, int32_t c, int32_t d);
// Appends a vertex, the arrays grown to exactly the new count. False, and
// nothing changed, when memory runs out.
bool addVertex(float x, float y, float z);
// Appends the face (a, b, c, d) whose corners are vertices below the count
// (d = -1 for a triangle), likewise.
bool addFace(int32_t a, int32_t b, int32_t c, int32_t d);
// Lower the vertex or the face count by one; the entry stays past the count.
void dropLastVertex();
void dropLastFace();
// Removes vertex s: the last vertex takes its index, the faces are renumbered
// and every face that used s is moved past the face count, in order of
// removal. Returns how many faces were moved there.
int32_t removeVertex(int32_t s);
// Removes face f by exchanging it with the last face, which it then follows.
void removeFace(int32_t f);
// Brings back `vertices` vertices and `faces` faces kept just past the counts
// when they fit the arrays and every face brought back names a vertex below
// the new vertex count; otherwise changes nothing and returns false.
bool restoreEntriesPastCounts(int32_t vertices, int32_t faces);
// Sets both counts, each at most its capacity.
void setMeshCounts(int32_t vertexCount, int32_t faceCount);
// Stores a texture name of at most 123 characters (an empty one: none) in m;
// a longer one is refused and nothing changes.
bool setTextureName(Mesh& m, std::string_view name);
// Releases the arrays of m and makes it the empty record with the default
// settings.
void emptyMesh(Mesh& m);
// Releases the arrays of `into` and gives it everything `built` holds (a model
// a reader or a remodelling made whole); `built` is left empty.
void replaceMesh(Mesh& into, Mesh& built);

void swapInts(int32_t* p, int32_t* q);
void swapFloats(float* p, float* q);
// Distance between stored vertices i and j: float differences, double sum of
// squares, float square root.
float vertexDistance(int i, int j);

enum class ArrayFill {
    Zeroed,
    // Left unset: for arrays written whole at once.
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
