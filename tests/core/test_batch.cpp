#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "mesh/mesh.h"
#include "mesh/off_reader.h"
#include "kestrune_version.h"
#include "tools/batch.h"

namespace {

namespace fs = std::filesystem;

const char* const cubeText =
    "OFF\n"
    "8 6\n"
    "0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n"
    "4 0 2 3 1\n4 4 5 7 6\n4 0 1 5 4\n4 2 6 7 3\n4 0 4 6 2\n4 1 3 7 5\n";

class BatchCommand : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "kestrune-batch-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
        write("cube.off", cubeText);
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string path(const std::string& name) const { return (folder / name).string(); }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path(name), std::ios::binary) << text;
    }
    std::string read(const std::string& name) const {
        std::ifstream file(path(name), std::ios::binary);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
    int run(std::vector<std::string> args) {
        out.str(""), err.str("");
        return runBatch(args, out, err);
    }
    // Counts of the model in a written file, read back by the program's reader.
    std::pair<int, int> countsOf(const std::string& name) const {
        std::string text = read(name);
        if (!readOffText(text.data(), text.size(), mesh)) return {-1, -1};
        std::pair<int, int> counts{mesh.vertexCount, mesh.faceCount};
        freeModel();
        return counts;
    }

    fs::path folder;
    std::ostringstream out, err;
};

}  // namespace

TEST_F(BatchCommand, StepsRunInOrderAndLoopRepeats) {
    EXPECT_EQ(run({path("cube.off"), path("tri.off"), "triangles"}), 0);
    EXPECT_EQ(countsOf("tri.off"), std::make_pair(14, 24));
    EXPECT_EQ(run({path("cube.off"), path("loop.off"), "loop"}), 0);
    EXPECT_EQ(countsOf("loop.off"), std::make_pair(50, 96));
    EXPECT_EQ(run({path("cube.off"), path("loop2.off"), "bases", "loop", "loop"}), 0);
    EXPECT_EQ(countsOf("loop2.off"), std::make_pair(194, 384));
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(mesh.vertexX, nullptr);  // the model is released afterwards
}

TEST_F(BatchCommand, WithoutStepsTheModelIsWrittenBack) {
    EXPECT_EQ(run({path("cube.off"), path("same.off")}), 0);
    std::string once = read("same.off");
    EXPECT_EQ(once.substr(0, 11), "OFF  \n 8  6");
    EXPECT_NE(once.find("\n 4 0 2 3 1\n"), std::string::npos);
    // Writing back what was written is stable.
    EXPECT_EQ(run({path("same.off"), path("again.off")}), 0);
    EXPECT_EQ(read("again.off"), once);
}

TEST_F(BatchCommand, UsageErrorsAndHelp) {
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_NE(out.str().find("usage : kestrune-batch"), std::string::npos);
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(out.str(), "kestrune-batch " KESTRUNE_VERSION "\n");
    // A usage error gives its reason and one line pointing to --help, not
    // the whole usage; nothing is written.
    const struct {
        std::vector<std::string> args;
        const char* reason;
    } errors[] = {
        {{}, "il faut un fichier d'entrée et un fichier de sortie"},
        {{path("cube.off")}, "il faut un fichier d'entrée et un fichier de sortie"},
        {{path("cube.off"), path("out.off"), "loop", "smooth"}, "étape inconnue « smooth »"},
        {{"--bogus", path("cube.off"), path("out.off")}, "option inconnue « --bogus »"},
    };
    for (const auto& error : errors) {
        SCOPED_TRACE(error.reason);
        EXPECT_EQ(run(error.args), 2);
        EXPECT_EQ(err.str(), std::string("kestrune-batch : ") + error.reason +
                                 "\nEssayez « kestrune-batch --help » pour en savoir plus.\n");
        EXPECT_EQ(out.str(), "");
    }
    EXPECT_FALSE(fs::exists(path("out.off")));
}

TEST_F(BatchCommand, BadInputLeavesTheOutputAsItWas) {
    write("out.off", "kept");
    write("broken.off", "OFF\n8 6\n0 0 0\n");
    EXPECT_EQ(run({path("broken.off"), path("out.off"), "loop"}), 1);
    EXPECT_EQ(err.str().rfind("fichier modèle erroné\n", 0), 0u);
    EXPECT_NE(err.str().find("--import"), std::string::npos);
    EXPECT_EQ(run({path("missing.off"), path("out.off")}), 1);
    EXPECT_NE(err.str().find("missing.off"), std::string::npos);
    EXPECT_EQ(run({folder.string(), path("out.off")}), 1);
    EXPECT_NE(err.str().find("lecture impossible"), std::string::npos);
    EXPECT_EQ(read("out.off"), "kept");
}

TEST_F(BatchCommand, UnwritableOutputIsReported) {
    EXPECT_EQ(run({path("cube.off"), path("no/such/folder/out.off"), "loop"}), 1);
    EXPECT_NE(err.str().find("écriture impossible"), std::string::npos);
    EXPECT_EQ(mesh.vertexX, nullptr);
}

TEST_F(BatchCommand, HeaderItCannotWriteBackIsRefused) {
    std::string cube(cubeText);
    write("blank.off", "OFF my tex.jpg" + cube.substr(3));
    EXPECT_EQ(run({path("blank.off"), path("out.off")}), 1);
    EXPECT_NE(err.str().find("blanc"), std::string::npos);
    EXPECT_FALSE(fs::exists(path("out.off")));
    // Comments before the header and a CR LF ending are fine.
    write("named.off", "* cube\nOFF tex.jpg\r" + cube.substr(3));
    EXPECT_EQ(run({path("named.off"), path("out.off")}), 0);
    EXPECT_EQ(read("out.off").substr(0, 13), "OFF  tex.jpg\n");
}

TEST_F(BatchCommand, FifoInputIsRefusedAtOnce) {
    ASSERT_EQ(mkfifo(path("pipe.off").c_str(), 0600), 0);
    alarm(10);  // a blocking open would end the test here
    EXPECT_EQ(run({path("pipe.off"), path("out.off")}), 1);
    alarm(0);
    EXPECT_NE(err.str().find("lecture impossible"), std::string::npos);
}
