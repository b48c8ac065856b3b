// The fast remodelling against the plain scans of literal_remodel, on random
// meshes of every shape the commands meet: bit-for-bit equal results.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>
#include <random>

#include "support/literal_remodel.h"
#include "mesh/mesh.h"
#include "remodel/remodel.h"
#include "test_remodel_meshes.h"

namespace {

using Rng = std::mt19937;

float randomCoordinate(Rng& rng) { return std::uniform_real_distribution<float>(-0.6f, 0.6f)(rng); }
int32_t randomBelow(Rng& rng, int32_t n) { return std::uniform_int_distribution<int32_t>(0, n - 1)(rng); }

void addRandomVertices(MeshSnapshot& s, Rng& rng, int count) {
    for (int i = 0; i < count; ++i) s.addVertex(randomCoordinate(rng), randomCoordinate(rng), randomCoordinate(rng));
}

// A closed torus of n x m cells; each cell a four-corner face or, at random,
// two triangles; windings and first corners vary at random.
MeshSnapshot torus(Rng& rng, int n, int m) {
    MeshSnapshot s;
    addRandomVertices(s, rng, n * m);
    auto at = [&](int i, int j) { return (i % n) * m + (j % m); };
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < m; ++j) {
            int32_t q[4] = {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)};
            if (rng() % 2) std::reverse(q, q + 4);
            std::rotate(q, q + randomBelow(rng, 4), q + 4);
            if (rng() % 3 == 0) {
                s.addQuad(q[0], q[1], q[2], q[3]);
            } else {
                s.addTriangle(q[0], q[1], q[2]);
                s.addTriangle(q[0], q[2], q[3]);
            }
        }
    }
    return s;
}

// An open patch with random holes.
MeshSnapshot patchWithHoles(Rng& rng, int n) {
    MeshSnapshot s;
    addRandomVertices(s, rng, (n + 1) * (n + 1));
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            if (rng() % 5 == 0) continue;
            int v = j * (n + 1) + i;
            if (rng() % 2) {
                s.addQuad(v, v + 1, v + n + 2, v + n + 1);
            } else {
                s.addTriangle(v, v + 1, v + n + 2);
                if (rng() % 4) s.addTriangle(v, v + n + 2, v + n + 1);
            }
        }
    }
    return s;
}

// Faces over a handful of vertices picked at random: edges of three or more
// faces, corners repeated, vertices in several fans.
MeshSnapshot faceSoup(Rng& rng, int vertices, int faces) {
    MeshSnapshot s;
    addRandomVertices(s, rng, vertices);
    for (int f = 0; f < faces; ++f) {
        int32_t q[4];
        for (int32_t& v : q) v = randomBelow(rng, vertices);
        if (rng() % 2) q[3] = -1;
        s.addQuad(q[0], q[1], q[2], q[3]);
    }
    return s;
}

// Two cones whose apexes are the same vertex, open or closed at random.
MeshSnapshot fansMeetingAtAVertex(Rng& rng) {
    MeshSnapshot s;
    addRandomVertices(s, rng, 1);
    for (int fan = 0; fan < 2; ++fan) {
        int rim = 3 + randomBelow(rng, 5);
        int32_t first = s.vertexCount();
        addRandomVertices(s, rng, rim);
        int faces = rng() % 2 ? rim : rim - 1;
        for (int k = 0; k < faces; ++k) s.addTriangle(0, first + k, first + (k + 1) % rim);
    }
    return s;
}

// A closed double cone whose two apexes have valence 60 to 90, past the
// precomputed weights.
MeshSnapshot wideDoubleCone(Rng& rng) {
    MeshSnapshot s;
    int32_t rim = 60 + randomBelow(rng, 31);
    addRandomVertices(s, rng, rim + 2);
    for (int32_t k = 0; k < rim; ++k) {
        s.addTriangle(rim, k, (k + 1) % rim);
        s.addTriangle(rim + 1, (k + 1) % rim, k);
    }
    return s;
}

// Adds faces on existing edges (a third face on an edge), faces with a corner
// repeated, and unused vertices, then renumbers the vertices at random.
void roughen(MeshSnapshot& s, Rng& rng) {
    int32_t faces = s.faceCount();
    for (int k = 0; k < 3 && faces > 0; ++k) {
        int32_t f = randomBelow(rng, faces);
        s.addTriangle(s.b[f], s.a[f], s.vertexCount());
        addRandomVertices(s, rng, 1);
    }
    int32_t v = randomBelow(rng, s.vertexCount()), w = randomBelow(rng, s.vertexCount());
    s.addTriangle(v, v, w);
    s.addQuad(w, v, w, randomBelow(rng, s.vertexCount()));
    addRandomVertices(s, rng, 4);
    std::vector<int32_t> newIndex(s.vertexCount());
    std::iota(newIndex.begin(), newIndex.end(), 0);
    std::shuffle(newIndex.begin(), newIndex.end(), rng);
    MeshSnapshot renumbered = s;
    for (int32_t i = 0; i < s.vertexCount(); ++i) {
        renumbered.x[newIndex[i]] = s.x[i], renumbered.y[newIndex[i]] = s.y[i];
        renumbered.z[newIndex[i]] = s.z[i];
    }
    for (auto* corners : {&renumbered.a, &renumbered.b, &renumbered.c, &renumbered.d}) {
        for (int32_t& corner : *corners) corner = corner < 0 ? corner : newIndex[corner];
    }
    s = renumbered;
}

struct Step {
    RemodelStatus (*fast)();
    void (*literal)();
};

const Step bases{optimizeBases, literal::optimizeBases};
const Step triangles{triangulateAll, literal::triangulateAll};
const Step loop{loopSubdivide, literal::loopSubdivide};

void expectSameAsLiteral(const MeshSnapshot& start, const std::vector<Step>& steps) {
    loadMesh(start);
    for (const Step& step : steps) ASSERT_EQ(step.fast(), RemodelStatus::Done);
    ASSERT_EQ(mesh.vertexCapacity, mesh.vertexCount);
    MeshSnapshot fast = takeSnapshot();
    loadMesh(start);
    for (const Step& step : steps) step.literal();
    MeshSnapshot reference = takeSnapshot();
    EXPECT_TRUE(sameBits(fast, reference)) << firstDifference(fast, reference);
    EXPECT_TRUE(meshIsConsistent(mesh));
    freeModel();
}

struct Shape {
    const char* name;
    std::function<MeshSnapshot(Rng&)> make;
};

std::vector<Shape> shapes() {
    return {
        {"closed torus", [](Rng& rng) { return torus(rng, 3 + randomBelow(rng, 5), 3 + randomBelow(rng, 5)); }},
        {"open patch", [](Rng& rng) { return patchWithHoles(rng, 2 + randomBelow(rng, 6)); }},
        {"face soup", [](Rng& rng) { return faceSoup(rng, 4 + randomBelow(rng, 10), 1 + randomBelow(rng, 25)); }},
        {"two fans", [](Rng& rng) { return fansMeetingAtAVertex(rng); }},
        {"wide double cone", [](Rng& rng) { return wideDoubleCone(rng); }},
        {"rough torus", [](Rng& rng) { MeshSnapshot s = torus(rng, 3, 4); roughen(s, rng); return s; }},
        {"rough patch", [](Rng& rng) { MeshSnapshot s = patchWithHoles(rng, 4); roughen(s, rng); return s; }},
    };
}

}  // namespace

TEST(RemodelAgainstLiteral, EveryShapeEveryCommand) {
    Rng rng(20261207);
    for (const Shape& shape : shapes()) {
        for (int round = 0; round < 12; ++round) {
            SCOPED_TRACE(std::string(shape.name) + " round " + std::to_string(round));
            MeshSnapshot start = shape.make(rng);
            expectSameAsLiteral(start, {bases});
            expectSameAsLiteral(start, {triangles});
            expectSameAsLiteral(start, {loop});
            expectSameAsLiteral(start, {bases, loop, loop});
        }
    }
}

TEST(RemodelAgainstLiteral, ThreeLoopStepsInARow) {
    Rng rng(7);
    for (const Shape& shape : shapes()) {
        SCOPED_TRACE(shape.name);
        MeshSnapshot start = shape.make(rng);
        if (start.faceCount() > 40) continue;  // keep the reference's scans short
        expectSameAsLiteral(start, {loop, loop, loop});
    }
}

TEST(RemodelAgainstLiteral, EmptyModels) {
    expectSameAsLiteral(MeshSnapshot{}, {loop, triangles, bases});
    MeshSnapshot verticesOnly;
    verticesOnly.addVertex(0.1f, 0.2f, 0.3f), verticesOnly.addVertex(-0.1f, 0, 0);
    expectSameAsLiteral(verticesOnly, {loop, loop});
}

TEST(RemodelAgainstLiteral, StartingModel) {
    newModel();
    MeshSnapshot start = takeSnapshot();
    freeModel();
    expectSameAsLiteral(start, {loop, loop});
    expectSameAsLiteral(start, {triangles, bases, triangles});
}
