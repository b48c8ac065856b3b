// Files written by other tools or by hand, textures carried across, errors.
#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <array>
#include <cmath>
#include <cstdio>

#include "exchange_fixture.h"
#include "exchange/export/format_writers.h"
#include "mesh/face_mapping.h"

namespace {

const std::string data = KESTRUNE_TEST_DATA "/exchange/";

struct Input {
    const char* file;
    int vertices;
    int faces;
    int quads;
    const char* texture;  // name on the header line
    const char* note;     // on standard error
};

TEST_F(ExchangeTest, InputsFromOtherToolsOpenInTheProgramsReader) {
    const Input inputs[] = {
        // Pentagon and hexagon fanned (both convex), a line dropped.
        {"objects.obj", 11, 8, 1, "tile.jpg", "1 segment ignoré"},
        // One square placed twice under a scaled root: the shared edge joined.
        {"hierarchy.gltf", 6, 4, 0, "tile.jpg", ""},
        {"pyramid_ascii.ply", 5, 5, 1, "", "pas de texture diffuse"},
        {"pyramid_binary.ply", 5, 5, 1, "", ""},
        {"tetrahedron_ascii.stl", 4, 4, 0, "", ""},
        {"tetrahedron_binary.stl", 4, 4, 0, "", ""},
        {"square.off", 5, 5, 1, "", ""},
    };
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.file);
        ASSERT_EQ(run({"--import", data + input.file, path("in.off")}), 0) << err.str();
        ASSERT_TRUE(load("in.off"));
        EXPECT_EQ(mesh.vertexCount, input.vertices);
        EXPECT_EQ(mesh.faceCount, input.faces);
        int quads = 0;
        for (int f = 0; f < mesh.faceCount; ++f) quads += isTriangle(f) ? 0 : 1;
        EXPECT_EQ(quads, input.quads);
        EXPECT_STREQ(mesh.textureFileName, input.texture);
        EXPECT_NE(err.str().find(input.note), std::string::npos) << err.str();
    }
    EXPECT_EQ(read("tile.jpg"), read(data + "tile.jpg"));  // copied beside the output
    // The node transforms are applied: scaled by 2, the right square moved by 1 before.
    ASSERT_EQ(run({data + "hierarchy.gltf", path("h.off")}), 0);
    std::vector<Face> faces = facesOf("h.off");
    EXPECT_TRUE(near(faces[3][1], Point{4, 2, 0}));
    // The program's reader refuses standard OFF and says what to do.
    EXPECT_EQ(run({data + "square.off", path("refused.off")}), 1);
    EXPECT_NE(err.str().find("--import"), std::string::npos);
}

TEST_F(ExchangeTest, UnusableTexturesAreLeftOutWithTheReason) {
    write("gray.obj", "mtllib gray.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl g\nf 1 2 3\n");
    write("gray.mtl", "newmtl g\nmap_Kd gray.jpg\n");
    fs::copy_file(data + "gray.jpg", path("gray.jpg"));
    ASSERT_EQ(run({path("gray.obj"), path("gray.off")}), 0);
    EXPECT_NE(err.str().find("pas en couleurs"), std::string::npos);
    EXPECT_EQ(read("gray.off").substr(0, 6), "OFF  \n");
    // A different picture of the same name beside the output stays as it was.
    fs::create_directory(folder / "sub");
    write("sub/tile.jpg", "mine");
    ASSERT_EQ(run({data + "hierarchy.gltf", path("sub/h.off")}), 0);
    EXPECT_EQ(read(path("sub/tile.jpg")), "mine");
    EXPECT_NE(err.str().find("existe déjà"), std::string::npos);
    EXPECT_EQ(read(path("sub/h.off")).substr(0, 6), "OFF  \n");
}

TEST_F(ExchangeTest, BadInputsAndOutputsWriteNothing) {
    write("notes.obj", "this is not a model\n");
    write("wire.obj", "v 0 0 0\nv 1 0 0\nl 1 2\n");
    write("kept.off", "kept");
    // Each failure and the file its message names.
    const std::vector<std::pair<std::vector<std::string>, std::string>> failures = {
        {{path("notes.obj"), path("kept.off")}, "notes.obj"},
        {{path("wire.obj"), path("kept.off")}, "wire.obj"},
        {{path("missing.ply"), path("kept.off")}, "missing.ply"},
        {{"--options", path("missing.txt"), path("house.off"), path("kept.off")}, "missing.txt"},
    };
    for (const auto& [args, named] : failures) {
        SCOPED_TRACE(named);
        EXPECT_EQ(run(args), 1);
        EXPECT_NE(err.str().find(named), std::string::npos) << err.str();
    }
    EXPECT_EQ(read("kept.off"), "kept");
    EXPECT_EQ(run({"--texture-size", "0", path("house.off"), path("x.obj")}), 2);
    EXPECT_EQ(run({"--bogus", path("house.off"), path("x.obj")}), 2);
    EXPECT_EQ(run({path("house.off"), path("x.obj"), "--ascii"}), 2);
    EXPECT_NE(err.str().find("précéder"), std::string::npos);
}

// Corner texture points of the global mesh as the window draws them.
MappingSettings windowMapping(int textureSize, int commonBase) {
    return MappingSettings{commonBase, mesh.commonBaseLength, measureLongestBaseEdge(mesh),
                           textureRepeatScale(textureSize)};
}

TEST_F(ExchangeTest, ObjTextureCoordinatesAreTheDrawnOnes) {
    ASSERT_EQ(run({"--texture-size", "100", "--common-base", "1", path("house.off"), path("h.obj")}), 0);
    ASSERT_TRUE(load("house.off"));
    MappingSettings mapping = windowMapping(100, 1);
    std::vector<std::pair<float, float>> vt;
    std::istringstream obj(read("h.obj"));
    int f = 0;
    for (std::string line; std::getline(obj, line);) {
        float s = 0, t = 0;
        if (std::sscanf(line.c_str(), "vt %f %f", &s, &t) == 2) vt.emplace_back(s, t);
        if (line.rfind("f ", 0) != 0) continue;
        ASSERT_LT(f, mesh.faceCount);
        TexturePoint drawn[4];
        int corners = faceTextureCoordinates(f++, mapping, drawn);
        std::istringstream words(line.substr(2));
        int k = 0;
        for (std::string corner; words >> corner; ++k) {
            ASSERT_LT(k, corners);
            size_t index = std::stoul(corner.substr(corner.find('/') + 1)) - 1;
            ASSERT_LT(index, vt.size());
            EXPECT_EQ(vt[index].first, drawn[k].s);
            EXPECT_EQ(vt[index].second, 1.0f - drawn[k].t);  // picture rows run down
        }
        EXPECT_EQ(k, corners);
    }
    EXPECT_EQ(f, mesh.faceCount);
}

// A grid of quads and triangle pairs, rows of few heights (points shared by
// many faces) and rows of many (points that push others out of the table).
std::string gridText(int side) {
    std::ostringstream text;
    std::vector<std::string> faces;
    for (int row = 0; row + 1 < side; ++row) {
        for (int column = 0; column + 1 < side; ++column) {
            int a = row * side + column, b = a + 1, c = a + side + 1, d = a + side;
            if ((row + column) % 3 == 0) {
                faces.push_back("3 " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c));
                faces.push_back("3 " + std::to_string(a) + " " + std::to_string(c) + " " + std::to_string(d));
            } else {
                faces.push_back("4 " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c) + " " +
                                std::to_string(d));
            }
        }
    }
    text << "OFF\n" << side * side << " " << faces.size() << "\n";
    for (int row = 0; row < side; ++row) {
        for (int column = 0; column < side; ++column) {
            int heights = row < side / 2 ? 3 : 1000;
            text << column << " " << row << " " << (row * 7919 + column * 104729) % heights * 0.25 << "\n";
        }
    }
    for (const std::string& face : faces) text << face << "\n";
    return text.str();
}

TEST_F(ExchangeTest, ObjTexturePointsNumberedInTwoHalvesAsInOneGo) {
    write("grid.off", gridText(80));
    ASSERT_TRUE(load("grid.off"));
    const int64_t faces = mesh.faceCount;
    for (int commonBase : {1, 3}) {
        ExportModel model;
        model.mapping = windowMapping(256, commonBase);
        model.companion = "grid.mtl";
        measureExport(model, false);
        const std::string inOneGo = sectionsText(objSections(model, faces));
        ASSERT_GT(inOneGo.size(), 100000u);
        // Second halves starting on and off a word of corner bits, at the
        // ends and in the two kinds of rows.
        for (int64_t from : {int64_t{0}, int64_t{1}, int64_t{21}, int64_t{22}, int64_t{1000}, faces / 2,
                             faces - 1000, faces - 1}) {
            EXPECT_EQ(sectionsText(objSections(model, from)), inOneGo) << "common base " << commonBase
                                                                        << ", second half from " << from;
        }
    }
}

TEST_F(ExchangeTest, TexturedCubeInGlbCarriesItsBricksAndMapping) {
    fs::copy_file(KESTRUNE_EXAMPLES "/cube.off", folder / "cube.off");
    fs::copy_file(KESTRUNE_EXAMPLES "/briques.jpg", folder / "briques.jpg");
    ASSERT_EQ(run({path("cube.off"), path("cube.glb")}), 0) << err.str();
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path("cube.glb"), 0);
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->mNumTextures, 1u);
    const aiTexture* picture = scene->mTextures[0];
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(picture->pcData), picture->mWidth), read("briques.jpg"));
    ASSERT_TRUE(load("cube.off"));
    MappingSettings mapping = windowMapping(256, 3);  // the options' defaults
    const aiMesh* out = scene->mMeshes[0];
    unsigned triangle = 0;
    for (int f = 0; f < mesh.faceCount; ++f) {
        TexturePoint drawn[4];
        int corners = faceTextureCoordinates(f, mapping, drawn);
        for (int split = 0; split < corners - 2; ++split, ++triangle) {
            ASSERT_LT(triangle, out->mNumFaces);
            const int expected[3] = {0, split + 1, split + 2};
            for (int k = 0; k < 3; ++k) {
                aiVector3D uv = out->mTextureCoords[0][out->mFaces[triangle].mIndices[k]];
                EXPECT_NEAR(uv.x, drawn[expected[k]].s, 1e-6);
                EXPECT_NEAR(uv.y, 1.0f - drawn[expected[k]].t, 1e-6);
            }
        }
    }
    EXPECT_EQ(triangle, out->mNumFaces);
    // Imported back, the embedded picture is written out beside the model.
    ASSERT_EQ(run({path("cube.glb"), path("back.off")}), 0);
    EXPECT_EQ(read("back.off").substr(0, 14), "OFF  back.jpg\n");
    EXPECT_EQ(read("back.jpg"), read("briques.jpg"));
}

}  // namespace

namespace {

double turn(int f) {
    auto at = [](int v) { return std::array<double, 2>{mesh.vertexX[v], mesh.vertexY[v]}; };
    auto a = at(mesh.faceA[f]), b = at(mesh.faceB[f]), c = at(mesh.faceC[f]);
    return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
}

}  // namespace

TEST_F(ExchangeTest, ConcavePolygonsAreCutIntoTrianglesInsideThem) {
    // A chevron: its first corner cannot see the notch, so a fan would fold.
    write("chevron.obj", "v 0 0 0\nv 4 0 0\nv 4 4 0\nv 2 1 0\nv 0 4 0\nf 1 2 3 4 5\n");
    ASSERT_EQ(run({path("chevron.obj"), path("chevron.off")}), 0) << err.str();
    ASSERT_TRUE(load("chevron.off"));
    ASSERT_EQ(mesh.faceCount, 3);
    double total = 0.0, unsigned_total = 0.0;
    for (int f = 0; f < mesh.faceCount; ++f) {
        EXPECT_GT(turn(f), 0.0) << "face " << f;
        total += turn(f);
        unsigned_total += std::fabs(turn(f));
    }
    EXPECT_NEAR(total, unsigned_total, 1e-9);
}

TEST_F(ExchangeTest, TheFilesUnitScaleIsApplied) {
    // An FBX file in centimetres (UnitScaleFactor 1, as Blender writes them)
    // comes in in metres; one in metres (UnitScaleFactor 100) as it is.
    std::string centimetres = read(data + "centimetres.fbx");
    std::string metres = centimetres;
    metres.replace(metres.find("\"\",1\n"), 5, "\"\",100\n");
    write("metres.fbx", metres);
    const std::pair<std::string, float> cases[] = {{data + "centimetres.fbx", 1.33f}, {path("metres.fbx"), 133.0f}};
    for (const auto& [input, size] : cases) {
        ASSERT_EQ(run({input, path("scaled.off")}), 0) << err.str();
        std::vector<Face> faces = facesOf("scaled.off");
        ASSERT_EQ(faces.size(), 1u);
        EXPECT_NEAR(faces[0][1][0], size, size * 1e-6f) << input;
    }
}

// An OFF file and the picture it names are one set: when the OFF cannot be
// written (a read-only target), no picture is left beside it, whether the
// import is written unchanged or after a step.
TEST_F(ExchangeTest, AFailedOffSaveLeavesNoPictureBehind) {
    fs::copy_file(KESTRUNE_EXAMPLES "/cube.off", folder / "cube.off");
    fs::copy_file(KESTRUNE_EXAMPLES "/briques.jpg", folder / "briques.jpg");
    ASSERT_EQ(run({path("cube.off"), path("cube.obj")}), 0) << err.str();
    fs::create_directory(folder / "out");
    write("out/out.off", "kept");
    fs::permissions(folder / "out" / "out.off", fs::perms::owner_read);
    for (std::vector<std::string> steps : {std::vector<std::string>{}, {"loop"}}) {
        std::vector<std::string> args = {path("cube.obj"), path("out/out.off")};
        args.insert(args.end(), steps.begin(), steps.end());
        EXPECT_EQ(run(args), 1) << steps.size();
        EXPECT_FALSE(fs::exists(folder / "out" / "briques.jpg")) << steps.size();
        EXPECT_EQ(read(path("out/out.off")), "kept");
    }
    fs::permissions(folder / "out" / "out.off", fs::perms::owner_all);
    ASSERT_EQ(run({path("cube.obj"), path("out/out.off"), "loop"}), 0) << err.str();
    EXPECT_TRUE(read(path("out/briques.jpg")) == read("briques.jpg"));
}
