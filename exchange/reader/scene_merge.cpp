#include "exchange/reader/scene_merge.h"

#include <algorithm>
#include <cstring>

#include "exchange/reader/polygon_split.h"

namespace {

using PositionKey = std::array<uint32_t, 3>;

size_t hashOf(const PositionKey& key) {
    uint64_t h = key[0];
    h = h * 0x9E3779B97F4A7C15ull ^ key[1];
    h = h * 0x9E3779B97F4A7C15ull ^ key[2];
    h *= 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h ^ (h >> 32));
}

}  // namespace

void startMerging(SceneMerger& merger, size_t vertexTotal) {
    size_t size = 16;
    while (size < 2 * vertexTotal) size *= 2;
    merger.slots.assign(size, -1);
}

namespace {

// Doubles the table when it is half full, so that a lookup always ends.
void growTable(SceneMerger& merger) {
    merger.slots.assign(merger.slots.size() * 2, -1);
    size_t mask = merger.slots.size() - 1;
    for (size_t v = 0; v < merger.keys.size(); ++v) {
        size_t at = hashOf(merger.keys[v]) & mask;
        while (merger.slots[at] >= 0) at = (at + 1) & mask;
        merger.slots[at] = static_cast<int32_t>(v);
    }
}

}  // namespace

int32_t joinVertex(SceneMerger& merger, float x, float y, float z) {
    if (merger.slots.empty()) startMerging(merger, 8);
    if (2 * (merger.keys.size() + 1) > merger.slots.size()) growTable(merger);
    PositionKey key;
    const float values[3] = {x + 0.0f, y + 0.0f, z + 0.0f};
    for (int k = 0; k < 3; ++k) std::memcpy(&key[k], &values[k], sizeof(float));
    size_t mask = merger.slots.size() - 1;
    for (size_t at = hashOf(key) & mask;; at = (at + 1) & mask) {
        int32_t v = merger.slots[at];
        if (v < 0) {
            v = static_cast<int32_t>(merger.keys.size());
            merger.slots[at] = v;
            merger.keys.push_back(key);
            // Kept as +0 for -0, as the library's node transform leaves it
            // (1 * -0 + 0 * y + ... is +0): one position, whichever path read it.
            merger.merged.positions.insert(merger.merged.positions.end(), {values[0], values[1], values[2]});
            return v;
        }
        if (merger.keys[static_cast<size_t>(v)] == key) return v;
    }
}

void addPolygon(MergedScene& merged, const int32_t* corners, size_t n) {
    if (n == 1) ++merged.droppedPoints;
    if (n == 2) ++merged.droppedLines;
    if (n >= 3 && std::all_of(corners + 1, corners + n, [first = corners[0]](int32_t v) { return v == first; })) {
        ++merged.droppedCollapsed;
        return;
    }
    if (n == 3 || n == 4) {
        merged.corners.insert(merged.corners.end(), {corners[0], corners[1], corners[2], n == 4 ? corners[3] : -1});
    }
    if (n < 5) return;
    // Larger polygons: cut into triangles that stay inside them.
    std::vector<Vec3> points(n);
    for (size_t k = 0; k < n; ++k) {
        const float* p = &merged.positions[3 * static_cast<size_t>(corners[k])];
        points[k] = Vec3{p[0], p[1], p[2]};
    }
    for (const std::array<unsigned, 3>& t : splitPolygon(points)) {
        merged.corners.insert(merged.corners.end(), {corners[t[0]], corners[t[1]], corners[t[2]], -1});
    }
}

void dropUnusedVertices(MergedScene& merged) {
    size_t count = merged.positions.size() / 3;
    std::vector<int32_t> renumbered(count, -1);
    for (int32_t v : merged.corners) {
        if (v >= 0) renumbered[static_cast<size_t>(v)] = 0;
    }
    int32_t next = 0;
    for (size_t v = 0; v < count; ++v) {
        if (renumbered[v] < 0) continue;
        renumbered[v] = next;
        for (int k = 0; k < 3; ++k) merged.positions[3 * static_cast<size_t>(next) + k] = merged.positions[3 * v + k];
        ++next;
    }
    merged.positions.resize(3 * static_cast<size_t>(next));
    for (int32_t& v : merged.corners) {
        if (v >= 0) v = renumbered[static_cast<size_t>(v)];
    }
}
