// The files read without the library give exactly what the library's
// reading gives, and the commonest files do take that path.
#include "exchange/confined_path.h"
#include "exchange/fast_import.h"
#include "exchange/model_import.h"
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
                      "f -5//1 -4//1 -1//1\r\n");
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
