// Per-face planar texture mapping worked out from edge lengths.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "mesh/vector_math.h"
#include "mesh/mesh.h"
#include "mesh/face_mapping.h"
#include "test_faces_meshes.h"

namespace {

MappingSettings ownBase(int textureSize = 256) {
    return MappingSettings{3, 1.0f, 0.0f, textureRepeatScale(textureSize)};
}

void expectPoint(TexturePoint point, float s, float t) {
    EXPECT_NEAR(point.s, s, 1e-6f);
    EXPECT_NEAR(point.t, t, 1e-6f);
}

class FaceMapping : public ::testing::Test {
protected:
    void TearDown() override {
        freeModel();
        mesh = Mesh{};
    }
};

TEST_F(FaceMapping, RightTriangleSpansTheImageOnceAtTheDefaultSizeAndTwiceAt512) {
    setMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2, -1}});
    TexturePoint points[4];
    ASSERT_EQ(faceTextureCoordinates(0, ownBase(256), points), 3);
    expectPoint(points[0], 0, 0);
    expectPoint(points[1], 1, 0);
    expectPoint(points[2], 0, 1);
    faceTextureCoordinates(0, ownBase(512), points);
    expectPoint(points[1], 2, 0);
    expectPoint(points[2], 0, 2);
}

TEST_F(FaceMapping, UnitSquareGetsTheFourImageCorners) {
    setMesh({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}});
    TexturePoint points[4];
    ASSERT_EQ(faceTextureCoordinates(0, ownBase(), points), 4);
    expectPoint(points[0], 0, 0);
    expectPoint(points[1], 1, 0);
    expectPoint(points[2], 1, 1);
    expectPoint(points[3], 0, 1);
}

TEST_F(FaceMapping, ReferenceLengthFollowsTheCommonBaseChoice) {
    // Face 0 has a 1-unit base, face 1 a 2-unit base.
    setMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {2, 0, 0}},
            {{0, 1, 2, -1}, {0, 3, 2, -1}});
    float longest = measureLongestBaseEdge(mesh);
    EXPECT_FLOAT_EQ(longest, 2.0f);
    TexturePoint points[4];

    faceTextureCoordinates(0, MappingSettings{2, 1.0f, longest, 1.0f}, points);
    expectPoint(points[1], 0.5f, 0);
    expectPoint(points[2], 0, 0.5f);

    // The length measured when the model was read, whatever the mesh is now.
    faceTextureCoordinates(0, MappingSettings{1, 4.0f, longest, 1.0f}, points);
    expectPoint(points[1], 0.25f, 0);

    faceTextureCoordinates(1, MappingSettings{3, 4.0f, longest, 1.0f}, points);
    expectPoint(points[1], 1, 0);

    // A zero reference length counts as one unit.
    EXPECT_EQ(referenceLength(1, 0.0f, 5.0f, 5.0f), 1.0f);
    EXPECT_EQ(referenceLength(2, 5.0f, 0.0f, 5.0f), 1.0f);
    EXPECT_EQ(referenceLength(3, 5.0f, 5.0f, 0.0f), 1.0f);
    EXPECT_EQ(textureRepeatScale(100), 0.390625f);
}

// The mapping is rigid: texture distances are model distances over the
// reference length, and C and D land on the same side of A-B.
TEST_F(FaceMapping, MappingKeepsEveryCornerDistanceOnRandomFaces) {
    std::srand(7);
    auto coordinate = [] { return static_cast<float>(std::rand() % 2001 - 1000) / 500.0f; };
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<Vec3> corners;
        for (int k = 0; k < 4; ++k) corners.push_back(Vec3{coordinate(), coordinate(), coordinate()});
        setMesh(corners, {{0, 1, 2, 3}});
        float reference = 1.5f;
        TexturePoint points[4];
        faceTextureCoordinates(0, MappingSettings{1, reference, 0.0f, 1.0f}, points);
        for (int k = 2; k < 4; ++k) {
            EXPECT_GE(points[k].t, 0.0f);
            for (int other = 0; other < 2; ++other) {
                float ds = points[k].s - points[other].s;
                float dt = points[k].t - points[other].t;
                float expected = vertexDistance(k, other) / reference;
                EXPECT_NEAR(std::sqrt(ds * ds + dt * dt), expected, 2e-4f * (1.0f + expected))
                    << "trial " << trial << " corner " << k;
            }
        }
    }
}

TEST_F(FaceMapping, DegenerateFacesGetFiniteCoordinates) {
    // A = B; three collinear corners; a face of one repeated vertex.
    setMesh({{0, 0, 0}, {1, 0, 0}, {0.3f, 0.7f, 0.1f}, {2.7f, 0, 0}, {1e-7f, 0, 0}},
            {{0, 0, 2, 1}, {0, 1, 3, -1}, {0, 0, 0, 0}, {0, 4, 2, 3}});
    for (int commonBase = 1; commonBase <= 3; ++commonBase) {
        MappingSettings settings{commonBase, 1.0f, measureLongestBaseEdge(mesh), 1.0f};
        for (int f = 0; f < mesh.faceCount; ++f) {
            TexturePoint points[4];
            int count = faceTextureCoordinates(f, settings, points);
            for (int k = 0; k < count; ++k) {
                EXPECT_TRUE(std::isfinite(points[k].s) && std::isfinite(points[k].t))
                    << "face " << f << " corner " << k << " base " << commonBase;
            }
        }
    }
    // Collinear C lies on the base line: no height.
    TexturePoint points[4];
    faceTextureCoordinates(1, ownBase(), points);
    expectPoint(points[2], 2.7f, 0);
    // With A = B the corners keep their distance from A.
    faceTextureCoordinates(0, MappingSettings{1, 1.0f, 0.0f, 1.0f}, points);
    EXPECT_NEAR(points[2].t, vertexDistance(0, 2), 1e-6f);
}

TEST_F(FaceMapping, FacesNamingVerticesOutsideTheArraysAreLeftOut) {
    setMesh({{0, 0, 0}, {3, 0, 0}, {0, 1, 0}}, {{0, 1, 2, -1}, {0, 1, 2, -1}});
    EXPECT_TRUE(faceCornersStored(mesh, 0));
    mesh.faceB[1] = 7;
    EXPECT_FALSE(faceCornersStored(mesh, 1));
    mesh.faceB[1] = 1;
    mesh.faceD[1] = 3;
    EXPECT_FALSE(faceCornersStored(mesh, 1));
    mesh.faceA[1] = -2;
    mesh.faceD[1] = -1;
    EXPECT_FALSE(faceCornersStored(mesh, 1));
    EXPECT_FLOAT_EQ(measureLongestBaseEdge(mesh), 3.0f);
}

}  // namespace
