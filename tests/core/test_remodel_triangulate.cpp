#include <gtest/gtest.h>

#include "mesh/mesh.h"
#include "remodel/remodel.h"
#include "test_remodel_meshes.h"

namespace {

class Triangulation : public ::testing::Test {
protected:
    void TearDown() override { freeModel(); }
};

}  // namespace

TEST_F(Triangulation, TrianglesOnlyAreLeftAsTheyAre) {
    MeshSnapshot s = tetrahedronMesh();
    loadMesh(s);
    EXPECT_EQ(triangulateAll(), RemodelStatus::Done);
    EXPECT_TRUE(sameBits(s, takeSnapshot()));
    EXPECT_EQ(mesh.vertexCapacity, 4);
    EXPECT_EQ(mesh.faceCapacity, 4);
}

TEST_F(Triangulation, SquareBecomesFourTrianglesAroundItsCentre) {
    MeshSnapshot s;
    s.addVertex(0, 0, 0), s.addVertex(0.5f, 0, 0), s.addVertex(0.5f, 0.25f, 0.1f);
    s.addVertex(0, 0.25f, 0.1f);
    s.addQuad(0, 1, 2, 3);
    loadMesh(s);
    ASSERT_EQ(triangulateAll(), RemodelStatus::Done);
    MeshSnapshot r = takeSnapshot();
    ASSERT_EQ(r.vertexCount(), 5);
    ASSERT_EQ(r.faceCount(), 4);
    EXPECT_EQ(r.face(0), (std::vector<int32_t>{0, 1, 4}));
    EXPECT_EQ(r.face(1), (std::vector<int32_t>{1, 2, 4}));
    EXPECT_EQ(r.face(2), (std::vector<int32_t>{2, 3, 4}));
    EXPECT_EQ(r.face(3), (std::vector<int32_t>{3, 0, 4}));
    EXPECT_EQ(r.d, (std::vector<int32_t>{-1, -1, -1, -1}));
    EXPECT_EQ(r.x[4], 0.25f);
    EXPECT_EQ(r.y[4], 0.125f);
    EXPECT_EQ(r.z[4], 0.05f);
    EXPECT_EQ(mesh.vertexCapacity, 5);
    EXPECT_EQ(mesh.faceCapacity, 4);
}

TEST_F(Triangulation, CentreIsSummedInDoublePrecision) {
    // In single precision 1e8 + 1 loses the 1 and the centre would be 0.25.
    MeshSnapshot s;
    s.addVertex(1e8f, 0, 0), s.addVertex(1, 0, 0), s.addVertex(-1e8f, 0, 0), s.addVertex(1, 1, 0);
    s.addQuad(0, 1, 2, 3);
    loadMesh(s);
    ASSERT_EQ(triangulateAll(), RemodelStatus::Done);
    EXPECT_EQ(mesh.vertexX[4], 0.5f);
}

TEST_F(Triangulation, CubeKeepsItsFaceIndicesOnTheFirstEdges) {
    MeshSnapshot cube = cubeMesh();
    loadMesh(cube);
    ASSERT_EQ(triangulateAll(), RemodelStatus::Done);
    MeshSnapshot r = takeSnapshot();
    ASSERT_EQ(r.vertexCount(), 14);
    ASSERT_EQ(r.faceCount(), 24);
    for (int32_t k = 0; k < 6; ++k) {
        int32_t centre = 8 + k;
        std::vector<int32_t> q = cube.face(k);
        EXPECT_EQ(r.face(k), (std::vector<int32_t>{q[0], q[1], centre}));
        EXPECT_EQ(r.face(6 + 3 * k), (std::vector<int32_t>{q[1], q[2], centre}));
        EXPECT_EQ(r.face(7 + 3 * k), (std::vector<int32_t>{q[2], q[3], centre}));
        EXPECT_EQ(r.face(8 + 3 * k), (std::vector<int32_t>{q[3], q[0], centre}));
    }
    EXPECT_EQ(r.z[8], -0.5f);  // centre of the face z = -0.5
    EXPECT_EQ(r.x[8], 0.0f);
    // Nothing is left to split the second time.
    ASSERT_EQ(triangulateAll(), RemodelStatus::Done);
    EXPECT_TRUE(sameBits(r, takeSnapshot()));
}

TEST_F(Triangulation, StartingModelGivesFourDegenerateTriangles) {
    newModel();
    ASSERT_EQ(triangulateAll(), RemodelStatus::Done);
    MeshSnapshot r = takeSnapshot();
    ASSERT_EQ(r.vertexCount(), 2);
    ASSERT_EQ(r.faceCount(), 4);
    EXPECT_EQ(r.x[1], 0.0f);
    EXPECT_EQ(r.y[1], 0.0f);
    EXPECT_EQ(r.z[1], 0.0f);
    for (int32_t f = 0; f < 4; ++f) EXPECT_EQ(r.face(f), (std::vector<int32_t>{0, 0, 1}));
    EXPECT_TRUE(meshIsConsistent(mesh));
}

TEST_F(Triangulation, BrokenModelIsRefusedWithoutChange) {
    MeshSnapshot s = cubeMesh();
    s.d[3] = 8;  // no such vertex
    loadMesh(s);
    EXPECT_EQ(triangulateAll(), RemodelStatus::ImpossibleModel);
    EXPECT_TRUE(sameBits(s, takeSnapshot()));
}
