// Sight-line distances, the face pick and the vertex and face removal with
// their undo, on meshes built in memory with the sight line set directly.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "edit/aim.h"
#include "edit/mesh_edits.h"
#include "edit/picking.h"
#include "mesh/mesh.h"
#include "support/test_meshes.h"
#include "edit/editing_state.h"

namespace {

// Sight line of the xOy view through (x, y): from z = 10 straight down.
void sightDownZ(float x, float y) {
    editing.aim.sightOrigin = Vec3{x, y, 10.0f};
    editing.aim.sightDirection = Vec3{0.0f, 0.0f, -1.0f};
    editing.aim.aimed = Vec3{x, y, 0.0f};
}

FaceCorners faceAt(int f) {
    return FaceCorners{mesh.faceA[f], mesh.faceB[f], mesh.faceC[f], mesh.faceD[f]};
}

class Picking : public ::testing::Test {
protected:
    void SetUp() override {
        forgetDeletionUndo();
        newModel();
    }
    void TearDown() override {
        freeModel();
        forgetDeletionUndo();
    }
};

}  // namespace

TEST(VectorMath, NormalOfCollinearCornersFallsBackToZ) {
    Vec3 n = unitNormal(Vec3{0, 0, 0}, Vec3{1, 1, 1}, Vec3{2, 2, 2});
    EXPECT_EQ(n.x, 0.0f);
    EXPECT_EQ(n.y, 0.0f);
    EXPECT_EQ(n.z, 1.0f);
}

TEST(SightLine, ToleranceBoundaryIsExclusive) {
    sightDownZ(0.0f, 0.0f);
    EXPECT_LT(distanceToSightLine(Vec3{0.0099f, 0.0f, 0.4f}), 0.01f);
    EXPECT_FALSE(distanceToSightLine(Vec3{0.01f, 0.0f, -0.3f}) < pickTolerance);
    EXPECT_FALSE(distanceToSightLine(Vec3{0.0f, -0.01f, 0.0f}) < pickTolerance);
    EXPECT_LT(distanceToSightLine(Vec3{0.0f, -0.0099f, 0.0f}), pickTolerance);
}

TEST(SightLine, ClosestPointOnAnObliqueLine) {
    editing.aim.aimed = Vec3{0.0f, 0.0f, 0.0f};
    editing.aim.sightOrigin = Vec3{0.0f, 0.0f, 2.0f};
    editing.aim.sightDirection = Vec3{1.0f, 0.0f, -1.0f};  // not normalised
    Vec3 foot = closestPointOnSightLine(Vec3{1.0f, 0.0f, 1.0f});
    EXPECT_FLOAT_EQ(foot.x, 0.0f);
    EXPECT_FLOAT_EQ(foot.z, 0.0f);
    EXPECT_FLOAT_EQ(distanceToSightLine(Vec3{1.0f, 0.0f, 1.0f}), std::sqrt(2.0f));
    foot = closestPointOnSightLine(Vec3{2.0f, 3.0f, 0.0f});
    EXPECT_FLOAT_EQ(foot.x, 1.0f);
    EXPECT_FLOAT_EQ(foot.y, 0.0f);
    EXPECT_FLOAT_EQ(foot.z, -1.0f);
}

TEST_F(Picking, NearestFaceWinsAndTiesGoToTheLowerIndex) {
    // Three squares over [-0.5, 0.5]^2 at z = 0.1, 0.3 and again 0.3.
    std::vector<Vec3> vertices;
    for (float z : {0.1f, 0.3f, 0.3f}) {
        vertices.push_back({-0.5f, -0.5f, z});
        vertices.push_back({0.5f, -0.5f, z});
        vertices.push_back({0.5f, 0.5f, z});
        vertices.push_back({-0.5f, 0.5f, z});
    }
    setMesh(vertices, {{0, 1, 2, 3}, {4, 5, 6, 7}, {8, 9, 10, 11}});
    sightDownZ(0.1f, 0.2f);  // in the ACD halves
    EXPECT_EQ(pickFace(), 1);
    EXPECT_EQ(editing.records.faceUnderCursor, 1);
    sightDownZ(0.2f, -0.1f);  // in the ABC halves
    EXPECT_EQ(pickFace(), 1);
    // Seen from below, the lowest square is nearest.
    editing.aim.sightOrigin = Vec3{0.1f, 0.2f, -10.0f};
    editing.aim.sightDirection = Vec3{0.0f, 0.0f, 1.0f};
    EXPECT_EQ(pickFace(), 0);
    // Outside every square.
    sightDownZ(0.7f, 0.0f);
    EXPECT_EQ(pickFace(), -1);
    EXPECT_EQ(editing.records.faceUnderCursor, -1);
}

TEST_F(Picking, PointOnTheSharedDiagonalOrOnAnEdgeIsNoHit) {
    setMesh({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, -1}});
    sightDownZ(0.5f, 0.5f);  // on the edge C-A of the triangle
    EXPECT_EQ(pickFace(), -1);
    sightDownZ(0.75f, 0.25f);
    EXPECT_EQ(pickFace(), 0);
    sightDownZ(1.0f, 0.5f);  // on the edge B-C
    EXPECT_EQ(pickFace(), -1);
}

TEST_F(Picking, DegenerateFacesAreNeverPicked) {
    // Face 0: the starting model's face, all corners on vertex 0.
    // Face 1: corners on one line. Face 2: a square standing parallel to the
    // sight line. Face 3: a quad listing a vertex twice.
    setMesh({{0, 0, 0},
               {-0.5f, -0.5f, 0.2f},
               {0.5f, 0.5f, 0.2f},
               {0.0f, 0.0f, 0.2f},
               {0.0f, -0.5f, -0.5f},
               {0.0f, 0.5f, -0.5f},
               {0.0f, 0.5f, 0.5f},
               {0.0f, -0.5f, 0.5f}},
              {{0, 0, 0, 0}, {1, 3, 2, -1}, {4, 5, 6, 7}, {1, 1, 2, 2}});
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-0.6f, 0.6f);
    for (int trial = 0; trial < 2000; ++trial) {
        sightDownZ(coordinate(random), coordinate(random));
        if (trial % 2 == 0) editing.aim.sightDirection = Vec3{coordinate(random), coordinate(random), -1.0f};
        EXPECT_EQ(pickFace(), -1) << "trial " << trial;
    }
    sightDownZ(0.0f, 0.0f);
    EXPECT_LT(sightLineHitDistance(Vec3{0, -0.5f, -0.5f}, Vec3{0, 0.5f, -0.5f}, Vec3{0, 0.5f, 0.5f}),
              0.0f);
}

namespace {

// The removal of a vertex written plainly: three renumbering passes, then
// removal of the faces using the vertex now past the count.
void referenceDeleteVertex(int s) {
    mesh.vertexCount -= 1;
    const int n = mesh.vertexCount;
    std::swap(mesh.vertexX[n], mesh.vertexX[s]);
    std::swap(mesh.vertexY[n], mesh.vertexY[s]);
    std::swap(mesh.vertexZ[n], mesh.vertexZ[s]);
    int32_t* arrays[] = {mesh.faceA, mesh.faceB, mesh.faceC, mesh.faceD};
    auto replace = [&](int32_t from, int32_t to) {
        for (int f = 0; f < mesh.faceCount; ++f) {
            for (int32_t* corner : arrays) {
                if (corner[f] == from) corner[f] = to;
            }
        }
    };
    replace(s, -2);
    replace(n, s);
    replace(-2, n);
    for (int i = 0; i < mesh.faceCount;) {
        bool uses = false;
        for (int32_t* corner : arrays) uses = uses || corner[i] == n;
        if (!uses) {
            ++i;
            continue;
        }
        mesh.faceCount -= 1;
        for (int32_t* corner : arrays) std::swap(corner[i], corner[mesh.faceCount]);
    }
}

void buildRandomMesh(std::mt19937& random, int vertexCount, int faceCount) {
    std::vector<Vec3> vertices;
    std::uniform_real_distribution<float> coordinate(-0.6f, 0.6f);
    for (int v = 0; v < vertexCount; ++v) {
        vertices.push_back({coordinate(random), coordinate(random), coordinate(random)});
    }
    std::uniform_int_distribution<int> vertex(0, vertexCount - 1);
    std::vector<FaceCorners> faces;
    for (int f = 0; f < faceCount; ++f) {
        bool triangle = random() % 3 == 0;
        faces.push_back({vertex(random), vertex(random), vertex(random), triangle ? -1 : vertex(random)});
    }
    setMesh(vertices, faces);
}

}  // namespace

TEST_F(Picking, VertexRemovalMatchesThePlainThreePassRenumbering) {
    std::mt19937 random(11);
    for (int trial = 0; trial < 200; ++trial) {
        const int vertexCount = 2 + static_cast<int>(random() % 12);
        buildRandomMesh(random, vertexCount, 1 + static_cast<int>(random() % 30));
        const int s = static_cast<int>(random() % static_cast<unsigned>(vertexCount));
        const int faceCount = mesh.faceCount;
        std::vector<FaceCorners> before;
        for (int f = 0; f < faceCount; ++f) before.push_back(faceAt(f));
        std::vector<Vec3> positions;
        for (int v = 0; v < vertexCount; ++v) positions.push_back(vertexPosition(v));

        referenceDeleteVertex(s);
        std::vector<FaceCorners> expected;
        for (int f = 0; f < faceCount; ++f) expected.push_back(faceAt(f));
        const int expectedFaceCount = mesh.faceCount;

        // Start again from the same mesh and remove with the program's code.
        for (int f = 0; f < faceCount; ++f) {
            mesh.faceA[f] = before[f].a;
            mesh.faceB[f] = before[f].b;
            mesh.faceC[f] = before[f].c;
            mesh.faceD[f] = before[f].d;
        }
        mesh.vertexCount = vertexCount;
        mesh.faceCount = faceCount;
        for (int v = 0; v < vertexCount; ++v) {
            mesh.vertexX[v] = positions[v].x;
            mesh.vertexY[v] = positions[v].y;
            mesh.vertexZ[v] = positions[v].z;
        }
        deleteVertex(s);
        EXPECT_EQ(mesh.vertexX[s], positions[vertexCount - 1].x);
        EXPECT_EQ(mesh.vertexZ[vertexCount - 1], positions[s].z);
        ASSERT_EQ(mesh.faceCount, expectedFaceCount);
        EXPECT_EQ(editing.records.undoFaceCount, faceCount - expectedFaceCount);
        for (int f = 0; f < faceCount; ++f) {
            FaceCorners got = faceAt(f);
            ASSERT_TRUE(got.a == expected[f].a && got.b == expected[f].b && got.c == expected[f].c &&
                        got.d == expected[f].d)
                << "trial " << trial << " face " << f;
        }
        ASSERT_TRUE(meshIsConsistent(mesh));
        restoreLastDeletion();
        ASSERT_EQ(mesh.vertexCount, vertexCount);
        ASSERT_EQ(mesh.faceCount, faceCount);
        ASSERT_TRUE(meshIsConsistent(mesh));
    }
}

TEST_F(Picking, UndoNeverRaisesACountPastTheArraysOrOntoMissingVertices) {
    std::vector<Vec3> vertices(6, Vec3{0.0f, 0.0f, 0.0f});
    setMesh(vertices, {{0, 1, 2, -1}, {3, 4, 5, -1}, {0, 2, 4, -1}});
    deleteVertex(5);
    ASSERT_EQ(mesh.faceCount, 2);
    // Something cuts the arrays back to the counts behind the record's back.
    ASSERT_TRUE(resizeVertexArrays(mesh.vertexCount));
    restoreLastDeletion();
    EXPECT_EQ(mesh.vertexCount, 5);
    EXPECT_EQ(mesh.faceCount, 2);
    EXPECT_TRUE(meshIsConsistent(mesh));

    // A face record whose vertex is no longer there is not brought back.
    setMesh(vertices, {{0, 1, 2, -1}, {3, 4, 5, -1}});
    deleteVertex(5);
    editing.records.undoVertexCount = 0;
    restoreLastDeletion();
    EXPECT_EQ(mesh.faceCount, 1);
    EXPECT_TRUE(meshIsConsistent(mesh));
    EXPECT_EQ(editing.records.undoFaceCount, 0);

    // A face deletion brings back its face only.
    setMesh(vertices, {{0, 1, 2, -1}, {3, 4, 5, -1}});
    deleteVertex(0);
    deleteFace(0);
    EXPECT_EQ(editing.records.undoVertexCount, 0);
    restoreLastDeletion();
    EXPECT_EQ(mesh.vertexCount, 5);
    EXPECT_EQ(mesh.faceCount, 1);
    EXPECT_TRUE(meshIsConsistent(mesh));
}
