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

namespace {

// The key of a position: its bits, -0 taken as +0.
PositionKey keyOf(const float values[3]) {
    PositionKey key;
    for (int k = 0; k < 3; ++k) {
        float value = values[k] + 0.0f;
        std::memcpy(&key[k], &value, sizeof(float));
    }
    return key;
}

bool sameKey(const PositionKey& a, const PositionKey& b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; }

// The joined number of the position with this key and hash.
int32_t joinKey(SceneMerger& merger, const PositionKey& key, size_t hash) {
    if (2 * (merger.keys.size() + 1) > merger.slots.size()) growTable(merger);
    size_t mask = merger.slots.size() - 1;
    for (size_t at = hash & mask;; at = (at + 1) & mask) {
        int32_t v = merger.slots[at];
        if (v < 0) {
            v = static_cast<int32_t>(merger.keys.size());
            merger.slots[at] = v;
            merger.keys.push_back(key);
            // Kept as +0 for -0, as the library's node transform leaves it
            // (1 * -0 + 0 * y + ... is +0): one position, whichever path read it.
            float values[3];
            std::memcpy(values, key.data(), sizeof values);
            merger.merged.positions.insert(merger.merged.positions.end(), {values[0], values[1], values[2]});
            return v;
        }
        if (sameKey(merger.keys[static_cast<size_t>(v)], key)) return v;
    }
}

}  // namespace

int32_t joinVertex(SceneMerger& merger, float x, float y, float z) {
    if (merger.slots.empty()) startMerging(merger, 8);
    const float values[3] = {x, y, z};
    PositionKey key = keyOf(values);
    return joinKey(merger, key, hashOf(key));
}

void joinVertices(SceneMerger& merger, const float* xyz, size_t count, int32_t* joined) {
    if (merger.slots.empty()) startMerging(merger, count);
    // A large table misses the cache at almost every lookup: the slots of
    // the positions a few places ahead are fetched while this one is joined.
    constexpr size_t ahead = 8;
    PositionKey keys[ahead];
    size_t hashes[ahead];
    auto prepare = [&](size_t i) {
        keys[i % ahead] = keyOf(xyz + 3 * i);
        hashes[i % ahead] = hashOf(keys[i % ahead]);
        __builtin_prefetch(&merger.slots[hashes[i % ahead] & (merger.slots.size() - 1)]);
    };
    for (size_t i = 0; i < count && i < ahead; ++i) prepare(i);
    for (size_t i = 0; i < count; ++i) {
        PositionKey key = keys[i % ahead];
        size_t hash = hashes[i % ahead];
        if (i + ahead < count) prepare(i + ahead);
        joined[i] = joinKey(merger, key, hash);
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
    size_t used = 0;
    for (int32_t v : merged.corners) {
        if (v < 0 || renumbered[static_cast<size_t>(v)] == 0) continue;
        renumbered[static_cast<size_t>(v)] = 0;
        ++used;
    }
    if (used == count) return;  // every vertex kept where it is
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
