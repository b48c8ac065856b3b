#include <gtest/gtest.h>

#include "mesh/mesh.h"
#include "remodel/loop_rules.h"
#include "remodel/remodel.h"
#include "test_remodel_meshes.h"

namespace {

class LoopSubdivision : public ::testing::Test {
protected:
    void TearDown() override { freeModel(); }
};

}  // namespace

TEST(LoopRules, InteriorWeightsComeOutExactly) {
    EvenWeights three = interiorWeights(3);
    EXPECT_EQ(three.beta, 0.1875f);
    EXPECT_EQ(three.selfWeight, 0.4375f);
    EXPECT_EQ(interiorWeights(4).beta, 0.12109375f);
    EXPECT_EQ(interiorWeights(6).beta, 0.0625f);
    EXPECT_EQ(interiorWeights(6).selfWeight, 0.625f);
    // Single-precision weights, bit for bit: beta and 1 - k beta rounded in
    // double would give 0x1.587222p-4 for k = 5 and 0x1.7617c2p-1 for k = 13.
    EXPECT_EQ(interiorWeights(5).beta, 0x1.587224p-4f);
    EXPECT_EQ(interiorWeights(13).beta, 0x1.5376bep-6f);
    EXPECT_EQ(interiorWeights(13).selfWeight, 0x1.7617c4p-1f);
    // beta s / 2 + w old summed in double would give 0x1.066538p-1.
    EXPECT_EQ(interiorEvenCoordinate(interiorWeights(13), 0.1f, 0.7f), 0x1.06653ap-1f);
    // Valences past the precomputed ones follow the same formula.
    EvenWeights many = interiorWeights(100);
    EXPECT_GT(many.beta, 0.0f);
    EXPECT_LT(many.beta, 0.01f);
    EXPECT_NEAR(many.selfWeight, 1.0f - 100 * many.beta, 1e-6f);
}

TEST(LoopRules, SingletonsMoveToTheFrontInTheirOrder) {
    int32_t ring[] = {1, 2, 2, 3, 4, 5, 5, 6};
    int32_t occurrences[7] = {0, 1, 2, 1, 1, 2, 1};
    EXPECT_EQ(moveSingletonsFirst(ring, 8, occurrences), 4);
    EXPECT_EQ((std::vector<int32_t>(ring, ring + 8)), (std::vector<int32_t>{1, 3, 4, 6, 2, 5, 5, 2}));
    int32_t closed[] = {7, 8, 8, 7};
    int32_t twice[9] = {0, 0, 0, 0, 0, 0, 0, 2, 2};
    EXPECT_EQ(moveSingletonsFirst(closed, 4, twice), 0);
    EXPECT_EQ((std::vector<int32_t>(closed, closed + 4)), (std::vector<int32_t>{7, 8, 8, 7}));
}

TEST(LoopRules, OddAndBoundaryRoundings) {
    // (1e8 + 1) is not a float: the double sum keeps the ones, the float one does not.
    EXPECT_EQ(boundaryEvenCoordinate(1e8f, 1.0f, -1e8f), 0.75f);
    EXPECT_EQ(interiorOddCoordinate(1e8f, 1.0f, -3e8f, 5.0f), 1.0f);
    EXPECT_EQ(boundaryOddCoordinate(0.5f, 0.25f), 0.375f);
}

TEST_F(LoopSubdivision, SingleTriangle) {
    MeshSnapshot s;
    s.addVertex(0, 0, 0), s.addVertex(0.5f, 0, 0.25f), s.addVertex(0, 0.25f, 0.5f);
    s.addTriangle(0, 1, 2);
    loadMesh(s);
    ASSERT_EQ(loopSubdivide(), RemodelStatus::Done);
    MeshSnapshot r = takeSnapshot();
    ASSERT_EQ(r.vertexCount(), 6);
    ASSERT_EQ(r.faceCount(), 4);
    // Old vertices: 3/4 of themselves and 1/8 of each neighbour.
    EXPECT_EQ(r.x[0], 0.0625f);
    EXPECT_EQ(r.y[0], 0.03125f);
    EXPECT_EQ(r.z[0], 0.09375f);
    EXPECT_EQ(r.x[1], 0.375f);
    EXPECT_EQ(r.y[1], 0.03125f);
    EXPECT_EQ(r.z[1], 0.25f);
    // New vertices at the middles of BC, CA, AB, in that order.
    EXPECT_EQ(r.x[3], 0.25f);
    EXPECT_EQ(r.y[3], 0.125f);
    EXPECT_EQ(r.z[3], 0.375f);
    EXPECT_EQ(r.x[4], 0.0f);
    EXPECT_EQ(r.y[4], 0.125f);
    EXPECT_EQ(r.z[4], 0.25f);
    EXPECT_EQ(r.x[5], 0.25f);
    EXPECT_EQ(r.y[5], 0.0f);
    EXPECT_EQ(r.z[5], 0.125f);
    EXPECT_EQ(r.face(0), (std::vector<int32_t>{3, 4, 5}));  // middle (bc, ca, ab)
    EXPECT_EQ(r.face(1), (std::vector<int32_t>{0, 5, 4}));  // at A: (A, ab, ca)
    EXPECT_EQ(r.face(2), (std::vector<int32_t>{1, 3, 5}));  // at B: (B, bc, ab)
    EXPECT_EQ(r.face(3), (std::vector<int32_t>{2, 4, 3}));  // at C: (C, ca, bc)
    EXPECT_EQ(r.d, (std::vector<int32_t>{-1, -1, -1, -1}));
    EXPECT_EQ(mesh.vertexCapacity, 6);
    EXPECT_EQ(mesh.faceCapacity, 4);
}

TEST_F(LoopSubdivision, TetrahedronUsesValenceThreeWeights) {
    loadMesh(tetrahedronMesh());
    mesh.commonBaseLength = 0.75f;
    mesh.modelScale = 3.0f;
    ASSERT_EQ(loopSubdivide(), RemodelStatus::Done);
    MeshSnapshot r = takeSnapshot();
    ASSERT_EQ(r.vertexCount(), 10);
    ASSERT_EQ(r.faceCount(), 16);
    // 3/16 of the neighbours' sum (-0.5 on each axis) plus 7/16 of 0.5.
    EXPECT_EQ(r.x[0], 0.125f);
    EXPECT_EQ(r.y[0], 0.125f);
    EXPECT_EQ(r.z[0], 0.125f);
    // Face 0's BC edge {1, 2}: ends weigh 3/8, opposite corners 0 and 3 1/8.
    EXPECT_EQ(r.x[4], 0.0f);
    EXPECT_EQ(r.y[4], 0.0f);
    EXPECT_EQ(r.z[4], -0.25f);
    EXPECT_EQ(mesh.commonBaseLength, 0.75f);
    EXPECT_EQ(mesh.modelScale, 3.0f);
    EXPECT_TRUE(meshIsConsistent(mesh));
}

TEST_F(LoopSubdivision, CubeIsTriangulatedFirst) {
    loadMesh(cubeMesh());
    ASSERT_EQ(loopSubdivide(), RemodelStatus::Done);
    EXPECT_EQ(mesh.vertexCount, 14 + 36);
    EXPECT_EQ(mesh.faceCount, 96);
    ASSERT_EQ(loopSubdivide(), RemodelStatus::Done);
    EXPECT_EQ(mesh.faceCount, 384);
    EXPECT_EQ(mesh.vertexCount, 50 + 144);  // closed: E = 3F / 2
}

TEST_F(LoopSubdivision, UnusedVertexKeepsItsPlaceAndIndex) {
    MeshSnapshot s = tetrahedronMesh();
    s.addVertex(0.1f, 0.2f, 0.3f);
    std::swap(s.x[2], s.x[4]), std::swap(s.y[2], s.y[4]), std::swap(s.z[2], s.z[4]);
    for (auto* corners : {&s.a, &s.b, &s.c}) {
        for (int32_t& v : *corners) v = v == 2 ? 4 : v;
    }
    loadMesh(s);
    ASSERT_EQ(loopSubdivide(), RemodelStatus::Done);
    EXPECT_EQ(mesh.vertexCount, 11);
    EXPECT_EQ(mesh.vertexX[2], 0.1f);
    EXPECT_EQ(mesh.vertexY[2], 0.2f);
    EXPECT_EQ(mesh.vertexZ[2], 0.3f);
    EXPECT_EQ(mesh.vertexX[0], 0.125f);
}

TEST_F(LoopSubdivision, FlatGridStaysFlatAndRegularVerticesStayPut) {
    MeshSnapshot s = flatTriangleGrid(4);
    loadMesh(s);
    ASSERT_EQ(loopSubdivide(), RemodelStatus::Done);
    MeshSnapshot r = takeSnapshot();
    for (float z : r.z) EXPECT_EQ(z, 0.0f);
    // Vertex (2, 2) is interior with six neighbours placed symmetrically.
    int32_t centre = 2 * 5 + 2;
    EXPECT_EQ(r.x[centre], s.x[centre]);
    EXPECT_EQ(r.y[centre], s.y[centre]);
    // A corner vertex on the boundary moves along its two boundary edges.
    EXPECT_EQ(r.x[0], 0.015625f);
    EXPECT_EQ(r.y[0], 0.015625f);
}

TEST_F(LoopSubdivision, EdgeOfThreeFacesTakesTheFirstTwoOpposites) {
    MeshSnapshot s;
    s.addVertex(0, 0, 0), s.addVertex(0.5f, 0, 0), s.addVertex(0, 0.5f, 0);
    s.addVertex(0, -0.5f, 0), s.addVertex(0, 0, 0.5f);
    s.addTriangle(1, 0, 4);  // shares {0, 1}, but as a face's AB edge with C = 4
    s.addTriangle(0, 1, 2);
    s.addTriangle(0, 1, 3);
    loadMesh(s);
    ASSERT_EQ(loopSubdivide(), RemodelStatus::Done);
    // Face 0 makes its BC {0, 4} = 5, CA {4, 1} = 6, AB {1, 0} = 7: opposites 4 and 2.
    EXPECT_EQ(mesh.vertexX[7], 0.1875f);   // (0 + 0.5 * 3 + 0) / 8
    EXPECT_EQ(mesh.vertexY[7], 0.0625f);   // (0 + 0 + 0.5) / 8
    EXPECT_EQ(mesh.vertexZ[7], 0.0625f);   // (0.5 + 0 + 0) / 8
}

TEST_F(LoopSubdivision, TwoFansMeetingAtAVertexUseTheInteriorRule) {
    MeshSnapshot s;
    s.addVertex(0, 0, 0);
    const float rim[6][2] = {{0.5f, 0}, {0.5f, 0.5f}, {0, 0.5f}, {-0.5f, 0}, {-0.5f, -0.25f}, {0, -0.5f}};
    for (auto& p : rim) s.addVertex(p[0], p[1], 0.125f);
    s.addTriangle(0, 1, 2), s.addTriangle(0, 2, 3);
    s.addTriangle(0, 4, 5), s.addTriangle(0, 5, 6);
    loadMesh(s);
    ASSERT_EQ(loopSubdivide(), RemodelStatus::Done);
    // Ring 1 2 2 3 4 5 5 6 has four singletons: k = 4, summed as 1 3 4 6 2 5 5 2.
    const float beta = 0.12109375f, selfWeight = 0.515625f;
    const int order[8] = {1, 3, 4, 6, 2, 5, 5, 2};
    float sumX = 0.0f, sumZ = 0.0f;
    for (int v : order) sumX += s.x[v], sumZ += s.z[v];
    EXPECT_EQ(mesh.vertexX[0], beta * sumX / 2.0f + selfWeight * s.x[0]);
    EXPECT_EQ(mesh.vertexZ[0], beta * sumZ / 2.0f);
    EXPECT_NE(mesh.vertexZ[0], 0.0f);
}

TEST_F(LoopSubdivision, StartingModelSubdividesWithoutFailure) {
    newModel();
    ASSERT_EQ(loopSubdivide(), RemodelStatus::Done);
    // Four copies of (0, 0, 1): edges {0, 0} and {0, 1}.
    EXPECT_EQ(mesh.vertexCount, 4);
    EXPECT_EQ(mesh.faceCount, 16);
    EXPECT_TRUE(meshIsConsistent(mesh));
    for (int32_t v = 0; v < mesh.vertexCount; ++v) EXPECT_EQ(mesh.vertexX[v], 0.0f);
}

TEST_F(LoopSubdivision, BrokenModelIsRefusedWithoutChange) {
    MeshSnapshot s = tetrahedronMesh();
    s.a[3] = -2;
    loadMesh(s);
    EXPECT_EQ(loopSubdivide(), RemodelStatus::ImpossibleModel);
    EXPECT_TRUE(sameBits(s, takeSnapshot()));
    EXPECT_EQ(mesh.faceCapacity, 4);
}
