#include <gtest/gtest.h>

#include <string>

#include "core/status_text.h"
#include "mesh/mesh.h"

TEST(BaseStatus, SingularPluralAndViews) {
    EXPECT_EQ(baseStatusText(8, 6, ViewXOy, -1.0f),
              " Il y a 8 sommets et 6 faces | Vue actuelle : xOy retournée");
    EXPECT_EQ(baseStatusText(0, 0, Perspective, 1.0f),
              " Il y a 0 sommet et 0 face | Vue actuelle : perspective");
    EXPECT_EQ(baseStatusText(1, 2, Perspective, -1.0f),
              " Il y a 1 sommet et 2 faces | Vue actuelle : perspective");
    EXPECT_EQ(baseStatusText(2, 1, ViewXOz, 1.0f),
              " Il y a 2 sommets et 1 face | Vue actuelle : xOz directe");
    EXPECT_EQ(baseStatusText(3, 3, ViewYOz, -1.0f),
              " Il y a 3 sommets et 3 faces | Vue actuelle : yOz retournée");
}

TEST(MessageTexts, PrefixesAreExact) {
    EXPECT_EQ(reportErrorText("modèle impossible"), "ERREUR  !!!\n\nmodèle impossible");
    EXPECT_EQ(fatalErrorText("x"), "Erreur irrémédiable\n\nL'application va se terminer\n\nx");
}

class MeshModel : public ::testing::Test {
protected:
    void SetUp() override { newModel(); }
    void TearDown() override { freeModel(); }
};

// A change takes a number never given before, in the parts it changes; a
// vertex placed where it already is, or a refused name, changes nothing.
TEST_F(MeshModel, ChangesTakeNewRevisionsOnlyWhereTheyChangeSomething) {
    Mesh before = mesh;
    setVertexPosition(0, 0.0f, 0.0f, 0.0f);
    EXPECT_FALSE(setTextureName(mesh, std::string(sizeof mesh.textureFileName, 'n')));
    EXPECT_EQ(mesh.revision, before.revision);
    setVertexPosition(0, -0.0f, 0.0f, 0.0f);
    EXPECT_GT(mesh.vertexRevision, before.revision);
    EXPECT_EQ(mesh.faceRevision, before.faceRevision);
    ASSERT_TRUE(setTextureName(mesh, "b.jpg"));
    EXPECT_GT(mesh.revision, mesh.vertexRevision);
    EXPECT_EQ(mesh.faceRevision, before.faceRevision);
    EXPECT_STREQ(mesh.textureFileName, "b.jpg");
    // A record built apart has numbers of its own, never those of the mesh.
    Mesh built;
    ASSERT_TRUE(allocateMeshArrays(built, 1, 1, ArrayFill::Zeroed));
    uint64_t last = mesh.revision;
    replaceMesh(mesh, built);
    EXPECT_GT(mesh.faceRevision, last);
    EXPECT_EQ(built.vertexX, nullptr);
}

TEST_F(MeshModel, NewModelIsOneVertexAndOneFourCornerFace) {
    EXPECT_EQ(mesh.vertexCount, 1);
    EXPECT_EQ(mesh.faceCount, 1);
    EXPECT_EQ(mesh.vertexX[0], 0.0f);
    EXPECT_EQ(mesh.faceD[0], 0);  // four corners, all vertex 0
    EXPECT_EQ(mesh.modelScale, 1.0f);
    EXPECT_EQ(mesh.commonBaseLength, 1.0f);
    EXPECT_STREQ(mesh.textureFileName, "");
    EXPECT_TRUE(meshIsConsistent(mesh));
}

TEST_F(MeshModel, FlipFaceKeepsBaseEdgeAndIsAnInvolution) {
    ASSERT_TRUE(resizeFaceArrays(2));
    mesh.faceCount = 2;
    int32_t triangle[4] = {3, 4, 5, -1};
    int32_t quad[4] = {6, 7, 8, 9};
    int32_t* corners[4] = {mesh.faceA, mesh.faceB, mesh.faceC, mesh.faceD};
    for (int k = 0; k < 4; ++k) corners[k][0] = triangle[k], corners[k][1] = quad[k];
    flipFace(0);
    flipFace(1);
    EXPECT_EQ((std::vector<int>{mesh.faceA[0], mesh.faceB[0], mesh.faceC[0], mesh.faceD[0]}),
              (std::vector<int>{4, 3, 5, -1}));
    EXPECT_EQ((std::vector<int>{mesh.faceA[1], mesh.faceB[1], mesh.faceC[1], mesh.faceD[1]}),
              (std::vector<int>{7, 6, 9, 8}));
    flipFace(1);
    EXPECT_EQ((std::vector<int>{mesh.faceA[1], mesh.faceB[1], mesh.faceC[1], mesh.faceD[1]}),
              (std::vector<int>{6, 7, 8, 9}));
}

TEST_F(MeshModel, VertexDistanceRoundsThroughDouble) {
    ASSERT_TRUE(resizeVertexArrays(2));
    mesh.vertexCount = 2;
    mesh.vertexX[1] = 3.0f;
    mesh.vertexY[1] = 4.0f;
    mesh.vertexZ[1] = 0.0f;
    EXPECT_EQ(vertexDistance(0, 1), 5.0f);
    // Squares of 1e20 overflow float but not double.
    mesh.vertexX[1] = 1e20f;
    mesh.vertexY[1] = 0.0f;
    EXPECT_EQ(vertexDistance(0, 1), 1e20f);
}

TEST_F(MeshModel, ConsistencyCatchesCornersOutOfRange) {
    EXPECT_TRUE(meshIsConsistent(mesh));
    mesh.faceC[0] = 1;
    EXPECT_FALSE(meshIsConsistent(mesh));
    mesh.faceC[0] = 0;
    mesh.faceD[0] = -2;
    EXPECT_FALSE(meshIsConsistent(mesh));
    mesh.faceD[0] = -1;
    EXPECT_TRUE(meshIsConsistent(mesh));
}
