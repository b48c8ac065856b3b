// Models exported and imported back, and read by OpenMesh.
#include <OpenMesh/Core/IO/MeshIO.hh>
#include <OpenMesh/Core/Mesh/PolyMesh_ArrayKernelT.hh>

#include <algorithm>

#include "exchange_fixture.h"

namespace {

struct Format {
    std::vector<std::string> flags;  // export flags
    const char* name;                // output file
    bool keepsQuads;
};

const std::vector<Format> formats = {
    {{}, "x.obj", true},          {{}, "x.ply", true},           {{"--ascii"}, "a.ply", true},
    {{}, "x.stl", false},         {{"--ascii"}, "a.stl", false}, {{}, "x.gltf", false},
    {{}, "x.glb", false},         {{"--standard-off"}, "s.off", true},
};

std::vector<std::string> with(std::vector<std::string> args, const std::vector<std::string>& tail) {
    args.insert(args.end(), tail.begin(), tail.end());
    return args;
}

TEST_F(ExchangeTest, EveryFormatGivesBackTheSameFaces) {
    std::vector<Face> house = facesOf("house.off");
    for (const Format& format : formats) {
        SCOPED_TRACE(format.name);
        ASSERT_EQ(run(with(format.flags, {path("house.off"), path(format.name)})), 0) << err.str();
        ASSERT_EQ(run({"--import", path(format.name), path("back.off")}), 0) << err.str();
        expectSameFaces(facesOf("back.off"), format.keepsQuads ? house : triangulated(house));
    }
    // A subdivided model survives the trip too.
    ASSERT_EQ(run({path("house.off"), path("fine.glb"), "triangles", "loop"}), 0);
    ASSERT_EQ(run({path("house.off"), path("fine.off"), "triangles", "loop"}), 0);
    ASSERT_EQ(run({path("fine.glb"), path("fine-back.off")}), 0);
    expectSameFaces(facesOf("fine-back.off"), facesOf("fine.off"));
}

std::vector<Point> sortedPositions(const OpenMesh::PolyMesh_ArrayKernelT<>& m) {
    std::vector<Point> points;
    for (auto v : m.vertices()) {
        auto p = m.point(v);
        points.push_back({p[0], p[1], p[2]});
    }
    std::sort(points.begin(), points.end());
    return points;
}

TEST_F(ExchangeTest, OpenMeshReadsWhatIsExported) {
    ASSERT_TRUE(load("house.off"));
    std::vector<Point> expected;
    for (int v = 0; v < mesh.vertexCount; ++v) {
        expected.push_back({fileCoordinate(mesh.vertexX[v], mesh.modelScale, mesh.modelCenter[0]),
                            fileCoordinate(mesh.vertexY[v], mesh.modelScale, mesh.modelCenter[1]),
                            fileCoordinate(mesh.vertexZ[v], mesh.modelScale, mesh.modelCenter[2])});
    }
    std::sort(expected.begin(), expected.end());
    for (const Format& format : formats) {
        std::string name = format.name;
        if (name.find(".gl") != std::string::npos) continue;
        SCOPED_TRACE(name);
        ASSERT_EQ(run(with(format.flags, {path("house.off"), path(name)})), 0);
        OpenMesh::PolyMesh_ArrayKernelT<> peer;
        ASSERT_TRUE(OpenMesh::IO::read_mesh(peer, path(name)));
        EXPECT_EQ(peer.n_faces(), format.keepsQuads ? 9u : 14u);
        std::vector<Point> got = sortedPositions(peer);
        ASSERT_EQ(got.size(), expected.size());
        for (size_t v = 0; v < got.size(); ++v) EXPECT_TRUE(near(got[v], expected[v]));
    }
}

}  // namespace
