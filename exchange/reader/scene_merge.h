// A scene of other tools flattened into one Kestrune polygon list: equal
// positions joined into one vertex in the order they first appear, faces of
// three and four corners kept, larger polygons cut into triangles, points,
// lines and faces shrunk to one vertex counted and dropped, then the vertices no face uses left out.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct MergedScene {
    std::vector<float> positions;  // x y z per vertex, file units
    std::vector<int32_t> corners;  // a b c d per face, d = -1 for a triangle
    size_t droppedPoints = 0;
    size_t droppedLines = 0;
    size_t droppedCollapsed = 0;  // faces of three corners or more, all on one vertex
};

// The scene being merged and an open-addressing table of the positions met:
// each slot holds a joined vertex number, or -1 when free.
struct SceneMerger {
    MergedScene merged;
    std::vector<std::array<uint32_t, 3>> keys;  // per joined vertex
    std::vector<int32_t> slots;
};

// Sizes the table for `vertexTotal` positions at half load; it grows past
// that when needed.
void startMerging(SceneMerger& merger, size_t vertexTotal);

// The joined number of a position, added when new. -0 joins +0 and is kept
// as +0.
int32_t joinVertex(SceneMerger& merger, float x, float y, float z);
// The same for `count` positions x y z in a row, in their order: joined[i]
// is what joinVertex gives for position i.
void joinVertices(SceneMerger& merger, const float* xyz, size_t count, int32_t* joined);

// Adds a polygon of `n` corners, given as joined vertex numbers. A polygon
// whose corners all name one vertex covers nothing: it is counted and
// dropped, never cut into as many empty triangles.
void addPolygon(MergedScene& merged, const int32_t* corners, size_t n);

// Leaves out the vertices no face uses, keeping the others in order.
void dropUnusedVertices(MergedScene& merged);
