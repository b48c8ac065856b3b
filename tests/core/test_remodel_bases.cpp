#include <gtest/gtest.h>

#include "mesh/mesh.h"
#include "remodel/remodel.h"
#include "test_remodel_meshes.h"

namespace {

class OptimalBases : public ::testing::Test {
protected:
    void TearDown() override { freeModel(); }
};

}  // namespace

TEST_F(OptimalBases, TrianglesTurnToTheirLongestSide) {
    // Right triangle with legs 0.3 (x) and 0.4 (y) and hypotenuse 0.5.
    const float p[3][3] = {{0, 0, 0}, {0.3f, 0, 0}, {0, 0.4f, 0}};
    MeshSnapshot s;
    for (auto& q : p) s.addVertex(q[0], q[1], q[2]);
    s.addTriangle(0, 1, 2);  // AB 0.3, BC 0.5, CA 0.4 -> (B, C, A)
    s.addTriangle(2, 0, 1);  // AB 0.4, BC 0.3, CA 0.5 -> (C, A, B)
    s.addTriangle(1, 2, 0);  // AB 0.5: unchanged
    loadMesh(s);
    ASSERT_EQ(optimizeBases(), RemodelStatus::Done);
    MeshSnapshot r = takeSnapshot();
    EXPECT_EQ(r.face(0), (std::vector<int32_t>{1, 2, 0}));
    EXPECT_EQ(r.face(1), (std::vector<int32_t>{1, 2, 0}));
    EXPECT_EQ(r.face(2), (std::vector<int32_t>{1, 2, 0}));
    EXPECT_EQ(r.d, (std::vector<int32_t>{-1, -1, -1}));
    EXPECT_TRUE(sameBits(MeshSnapshot{s.x, s.y, s.z, r.a, r.b, r.c, r.d}, r));
}

TEST_F(OptimalBases, FourCornerFacesAndTies) {
    MeshSnapshot s;
    s.addVertex(0, 0, 0), s.addVertex(0.5f, 0, 0), s.addVertex(0.5f, 0.5f, 0), s.addVertex(0, 0.5f, 0);
    s.addQuad(0, 1, 2, 3);  // exact square: every side ties, stays
    // Trapezoid whose long side is CD: (A, B, C, D) = (4, 5, 6, 7).
    s.addVertex(0, 0, 0.1f), s.addVertex(0.2f, 0, 0.1f), s.addVertex(0.4f, 0.2f, 0.1f);
    s.addVertex(-0.2f, 0.2f, 0.1f);
    s.addQuad(4, 5, 6, 7);
    // Rectangle 0.2 by 0.6 listed so that BC and DA are the long, equal sides.
    s.addVertex(0, 0, 0.3f), s.addVertex(0.2f, 0, 0.3f), s.addVertex(0.2f, 0.6f, 0.3f);
    s.addVertex(0, 0.6f, 0.3f);
    s.addQuad(8, 9, 10, 11);
    loadMesh(s);
    ASSERT_EQ(optimizeBases(), RemodelStatus::Done);
    MeshSnapshot once = takeSnapshot();
    EXPECT_EQ(once.face(0), (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(once.face(1), (std::vector<int32_t>{6, 7, 4, 5}));  // faceD holds the former B
    EXPECT_EQ(once.face(2), (std::vector<int32_t>{9, 10, 11, 8}));
    EXPECT_EQ(once.x, s.x);
    EXPECT_EQ(mesh.vertexCount, 12);
    EXPECT_EQ(mesh.faceCount, 3);
    // A second run changes nothing.
    ASSERT_EQ(optimizeBases(), RemodelStatus::Done);
    EXPECT_TRUE(sameBits(once, takeSnapshot()));
}

TEST_F(OptimalBases, DegenerateFacesAreLeftAlone) {
    newModel();  // the four-corner face (0, 0, 0, 0)
    EXPECT_EQ(optimizeBases(), RemodelStatus::Done);
    EXPECT_EQ(takeSnapshot().face(0), (std::vector<int32_t>{0, 0, 0, 0}));
}

TEST_F(OptimalBases, BrokenCornerIsRefusedWithoutChange) {
    MeshSnapshot s = tetrahedronMesh();
    s.c[2] = 4;  // no such vertex
    loadMesh(s);
    EXPECT_EQ(optimizeBases(), RemodelStatus::ImpossibleModel);
    EXPECT_TRUE(sameBits(s, takeSnapshot()));
    EXPECT_STREQ(remodelStatusText(RemodelStatus::ImpossibleModel), "modèle impossible");
    EXPECT_STREQ(remodelStatusText(RemodelStatus::OutOfMemory), "mémoire insuffisante");
}
