// The files read without the library give exactly what the library's
// reading gives, and the commonest files do take that path.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "exchange/scene/confined_path.h"
#include "exchange/reader/fast_import.h"
#include "exchange/reader/model_import.h"
#include "exchange/reader/scene_merge.h"
#include "exchange_fixture.h"

namespace {

const std::string testData = KESTRUNE_TEST_DATA "/exchange/";

void expectSameImport(const std::string& path) {
    SCOPED_TRACE(path);
    ImportedModel fast, library;
    std::string fastFailure, libraryFailure;
    bool fastRead = importModel(path, fast, fastFailure);
    ASSERT_EQ(fastRead, importModel(path, library, libraryFailure, true)) << fastFailure << libraryFailure;
    EXPECT_EQ(fastFailure, libraryFailure);
    EXPECT_EQ(fast.positions, library.positions);
    EXPECT_EQ(fast.corners, library.corners);
    EXPECT_EQ(fast.notes, library.notes);
    EXPECT_EQ(fast.quietNotes, library.quietNotes);
    EXPECT_EQ(fast.hadTextureCoordinates, library.hadTextureCoordinates);
    ASSERT_EQ(fast.texture.has_value(), library.texture.has_value());
    if (fast.texture) {
        EXPECT_EQ(fast.texture->bytes, library.texture->bytes);
    }
}

bool readsFast(const std::string& path) {
    std::string problem;
    MergedScene merged;
    ImportedModel model;
    return importFast(path, modelFolder(path, problem), merged, model, problem) == FastImport::Read;
}

}  // namespace

TEST_F(ExchangeTest, FilesReadWithoutTheLibraryGiveTheLibrarysModel) {
    const std::string cube = KESTRUNE_EXAMPLES "/cube.off";
    for (const char* name : {"cube.obj", "cube.ply", "cube.stl"}) ASSERT_EQ(run({cube, path(name)}), 0) << err.str();
    ASSERT_EQ(run({path("house.off"), path("house.obj")}), 0);
    ASSERT_EQ(run({path("house.off"), path("house.ply")}), 0);
    // Negative and slashed corners, a pentagon, colours, CR LF, a comment.
    write("hand.obj", "# made by hand\r\no thing\r\nv 0 0 0 1 0 0\r\nv 2 0 0 1 0 0\r\nv 2.5 1.5 0 1 0 0\r\n"
                      "v 1 2.25 0 0 1 0\r\nv -0.5 1.5 0 0 0 1\r\nvt 0 0\r\nf 1/1 2/1 3/1 4/1 5/1\r\n"
                      "f -5/1 -4/1 -1/1\r\n");
    struct Case {
        std::string path;
        bool fast;
    };
    const Case cases[] = {
        {path("cube.obj"), true},  {path("cube.ply"), true},
        {path("cube.stl"), true},  {path("house.obj"), true},
        {path("house.ply"), true}, {path("hand.obj"), true},
        {testData + "objects.obj", false},  // several objects
        {testData + "pyramid_binary.ply", true},
        {testData + "pyramid_ascii.ply", false},
        {testData + "tetrahedron_binary.stl", true},
        {testData + "tetrahedron_ascii.stl", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readsFast(c.path), c.fast) << c.path;
        expectSameImport(c.path);
    }
}

namespace {

// A binary little-endian PLY of three vertices and one triangle, the header's
// vertex lines given; each vertex holds x y z and `extra` more floats.
std::string binaryPly(const std::string& vertexLines, int extra, float firstX = 0.0f,
                      const std::string& count = "3") {
    std::string text = "ply\nformat binary_little_endian 1.0\nelement vertex " + count + "\n" + vertexLines +
                       "element face 1\nproperty list uchar int vertex_indices\nend_header\n";
    const float corners[3][3] = {{firstX, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    for (const auto& corner : corners) {
        text.append(reinterpret_cast<const char*>(corner), sizeof corner);
        for (int k = 0; k < extra; ++k) text.append(4, '\0');
    }
    const int32_t face[3] = {0, 1, 2};
    text += '\3';
    text.append(reinterpret_cast<const char*>(face), sizeof face);
    return text;
}

const std::string xyz = "property float x\nproperty float y\nproperty float z\n";
const std::string triangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";

}  // namespace

// Spellings the library reads its own way: the short readers either give its
// model or leave the file to it, and the common ones stay on the short path.
TEST_F(ExchangeTest, ShortReadersAgreeWithTheLibraryOrDecline) {
    write("t.jpg", read(KESTRUNE_EXAMPLES "/briques.jpg"));
    write("m.mtl", "newmtl first\nKd 1 1 1\nnewmtl last\nmap_Kd t.jpg\n");
    write("blank.mtl", "newmtl first\nmap_Kd t.jpg \n");
    struct Case {
        std::string name, text;
        bool fast;
        std::string note;  // a line the notes hold
    };
    const Case cases[] = {
        {"no_usemtl.obj", "mtllib m.mtl\n" + triangle + "f 1 2 3\n", true, ""},
        {"usemtl.obj", "mtllib m.mtl\n" + triangle + "usemtl first\nf 1 2 3\n", true, ""},
        {"minus_zero.obj", "v -0.0 -0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", true, ""},
        {"leading_zero.obj", triangle + "f 01 2 3\n", false, ""},
        {"plus.obj", triangle + "f 1 2 +3\n", false, ""},
        {"zero_texture.obj", triangle + "vt 0 0\nf 1/0 2/1 3/1\n", false, ""},
        {"four_numbers.obj", triangle + "vt 0 0\nvn 0 0 1\nf 1/1/1/1 2/1/1 3/1/1\n", false, ""},
        {"mixed_shapes.obj", triangle + "vt 0 0\nf 1/1 2 3\n", false, ""},
        {"blank_after_mtllib.obj", "mtllib m.mtl \n" + triangle + "f 1 2 3\n", false, ""},
        {"blank_after_map.obj", "mtllib blank.mtl\n" + triangle + "f 1 2 3\n", false, ""},
        {"nul.obj", std::string("v 0 0 0\nv 1") + '\0' + "5 0 0\nv 0 1 0\nf 1 2 3\n", false, ""},
        {"point.obj", "v .5 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", false, ""},
        {"shrunk.obj", triangle + "f 1 2 3\nf 2 2 2 2 2 2 2\n", true, "1 face réduite à un sommet ignorée"},
        {"x_twice.ply", binaryPly(xyz + "property float x\n", 1), false, ""},
        {"tx_ty.ply", binaryPly(xyz + "property float tx\nproperty float ty\n", 2), false, ""},
        {"texture_st.ply", binaryPly(xyz + "property float texture_s\nproperty float texture_t\n", 2), false, ""},
        {"st.ply", binaryPly(xyz + "property float s\nproperty float t\n", 2), true,
         "les coordonnées de texture du fichier sont remplacées"},
        {"plus_count.ply", binaryPly(xyz, 0, 0.0f, "+3"), false, ""},
        {"texture_comment.ply", "ply\nformat binary_little_endian 1.0\ncomment TextureFile t.jpg\n" +
                                    binaryPly(xyz, 0).substr(36), false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        write(c.name, c.text);
        EXPECT_EQ(readsFast(path(c.name)), c.fast);
        expectSameImport(path(c.name));
        if (c.note.empty()) continue;
        ImportedModel model;
        std::string failure;
        ASSERT_TRUE(importModel(path(c.name), model, failure)) << failure;
        EXPECT_NE((model.notes + model.quietNotes).find(c.note), std::string::npos) << model.notes;
    }
    // Read the same way: the texture of the material read last, -0 kept as 0.
    ImportedModel model;
    std::string failure;
    ASSERT_TRUE(importModel(path("no_usemtl.obj"), model, failure));
    ASSERT_TRUE(model.texture.has_value());
    EXPECT_EQ(model.texture->name, "t.jpg");
    ASSERT_TRUE(importModel(path("minus_zero.obj"), model, failure));
    EXPECT_FALSE(std::signbit(model.positions[0]) || std::signbit(model.positions[1]));
}

// A binary PLY whose body starts with the byte 0x0a: the library 5.2.5 takes
// it for the header's line end and reads every number one byte late; the
// short reader reads the file as written.
TEST_F(ExchangeTest, BinaryPlyStartingWithALineEndByteKeepsItsVertices) {
    float x = 0.0f;
    const uint32_t bits = 0x3f80000au;  // 1.0000012, low byte 0x0a
    std::memcpy(&x, &bits, sizeof x);
    write("line_end.ply", binaryPly(xyz, 0, x));
    ASSERT_TRUE(readsFast(path("line_end.ply")));
    ImportedModel model;
    std::string failure;
    ASSERT_TRUE(importModel(path("line_end.ply"), model, failure)) << failure;
    const std::vector<float> expected = {x, 0, 0, 1, 0, 0, 0, 1, 0};
    EXPECT_EQ(model.positions, expected);
    EXPECT_EQ(model.corners, (std::vector<int32_t>{0, 1, 2, -1}));
}

// Joining positions a block at a time gives the numbers and the positions
// of joining them one by one: repeats near and far, -0 beside +0, and a
// table sized too small that grows in the middle of a block.
TEST(SceneMerge, BlocksJoinAsOneByOne) {
    struct Case {
        size_t count, distinct, sizedFor;
    };
    const Case cases[] = {{1, 1, 1}, {7, 3, 7}, {1000, 1000, 1000}, {5000, 300, 5000}, {5000, 4000, 16}, {20000, 20000, 8}};
    for (const Case& c : cases) {
        std::vector<float> xyz;
        for (size_t i = 0; i < c.count; ++i) {
            size_t which = (i * 7919) % c.distinct;
            float sign = which % 5 == 0 ? -1.0f : 1.0f;
            // Position 0 comes as (-0, 0, 0) and (0, -0, 0) as well.
            xyz.insert(xyz.end(), {sign * 0.0f * static_cast<float>(which % 2) + static_cast<float>(which) * 0.25f,
                                   which == 0 && i % 2 == 1 ? -0.0f : 0.0f, static_cast<float>(which % 17)});
        }
        SceneMerger one, blocks;
        startMerging(one, c.sizedFor);
        startMerging(blocks, c.sizedFor);
        std::vector<int32_t> expected, joined(c.count);
        for (size_t i = 0; i < c.count; ++i) expected.push_back(joinVertex(one, xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]));
        for (size_t first = 0; first < c.count; first += 256) {
            size_t n = std::min<size_t>(256, c.count - first);
            joinVertices(blocks, &xyz[3 * first], n, &joined[first]);
        }
        EXPECT_EQ(joined, expected) << c.count;
        ASSERT_EQ(blocks.merged.positions.size(), one.merged.positions.size()) << c.count;
        EXPECT_EQ(std::memcmp(blocks.merged.positions.data(), one.merged.positions.data(),
                              one.merged.positions.size() * sizeof(float)), 0) << c.count;
        EXPECT_EQ(one.merged.positions.size(), 3 * std::min(c.count, c.distinct)) << c.count;
    }
}
