#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "kestrune_version.h"
#include "core/file_bytes.h"
#include "state/program_state.h"
#include "app/model_files.h"
#include "state/program_state.h"
#include "mesh/mesh.h"
#include "mesh/off_writer.h"
#include "platform/scripted/scripted.h"
#include "support/program_fixture.h"

namespace {

const char* const triangleFile = "OFF brique.jpg\n3 1\n0 0 0\n2 0 0\n0 4 0\n3 0 1 2\n";

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string readText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class ModelFiles : public ProgramTest {};

}  // namespace

TEST_F(ModelFiles, CancelledOpenGivesTheStartingModel) {
    program.display.textureSlot = 1;
    openModel();
    EXPECT_EQ(scripted::dialogLog().back(), "open: Choisissez le fichier du modèle à ouvrir.");
    EXPECT_EQ(mesh.vertexCount, 1);
    EXPECT_EQ(mesh.faceCount, 1);
    EXPECT_EQ(mesh.faceD[0], 0);
    EXPECT_EQ(scripted::windowTitle(), "Kestrune v " KESTRUNE_VERSION);
    EXPECT_EQ(program.display.textureSlot, 0);
    EXPECT_TRUE(scripted::shownBoxes().empty());
}

TEST_F(ModelFiles, OpenReadsTheModelAndNamesItInTheTitle) {
    std::filesystem::create_directory(scratch / "modeles");
    writeText(scratch / "modeles" / "triangle.off", triangleFile);
    scripted::queueOpenAnswer((scratch / "modeles" / "triangle.off").string());
    openModel();
    EXPECT_EQ(scripted::windowTitle(), "Kestrune v " KESTRUNE_VERSION " - votre modèle : triangle.off");
    EXPECT_EQ(mesh.vertexCount, 3);
    EXPECT_EQ(mesh.faceD[0], -1);
    EXPECT_STREQ(mesh.textureFileName, "brique.jpg");
    EXPECT_NEAR(mesh.modelScale, 8.0 / 3, 1e-6);  // centred y over -4/3 .. 8/3
    EXPECT_EQ(program.display.textureSlot, 1);
    EXPECT_EQ(std::filesystem::current_path(), scratch / "modeles");
}

TEST_F(ModelFiles, UnreadableFileIsReportedAndGivesTheStartingModel) {
    std::filesystem::create_directory(scratch / "dossier.off");
    ASSERT_EQ(mkfifo((scratch / "tube.off").c_str(), 0600), 0);  // opening it for reading would block
    alarm(10);
    for (const char* name : {"absent.off", "dossier.off", "tube.off"}) {
        scripted::reset();
        freeModel();
        scripted::queueOpenAnswer((scratch / name).string());
        openModel();
        ASSERT_EQ(scripted::shownBoxes().size(), 1u);
        EXPECT_EQ(scripted::shownBoxes()[0].text, std::string("ERREUR  !!!\n\nImpossible de lire le fichier ") + name);
        EXPECT_EQ(mesh.vertexCount, 1);
        EXPECT_EQ(scripted::windowTitle(), "Kestrune v " KESTRUNE_VERSION);
        EXPECT_EQ(program.display.textureSlot, 0);
    }
    alarm(0);
}

TEST_F(ModelFiles, WholeFileIsReadIntoOneBlockOrMapped) {
    std::string big(5u << 20, 'a');
    for (size_t k = 0; k < big.size(); k += 4099) big[k] = static_cast<char>('0' + k % 10);
    writeText(scratch / "grand.off", big);
    writeText(scratch / "vide.off", "");
    for (auto read : {&readWholeFile, &mapWholeFile}) {
        FileBytes bytes;
        ASSERT_TRUE(read((scratch / "grand.off").string(), bytes));
        EXPECT_EQ(std::string(bytes.data, bytes.size), big);
        EXPECT_TRUE(fileBytesIntact(bytes));
        releaseFileBytes(bytes);
        ASSERT_TRUE(read((scratch / "vide.off").string(), bytes));
        EXPECT_EQ(bytes.size, 0u);
        releaseFileBytes(bytes);
        EXPECT_FALSE(read(scratch.string(), bytes));
        EXPECT_EQ(bytes.data, nullptr);
    }
}

TEST_F(ModelFiles, MappedFileShortenedWhileReadReadsAsZerosAndSaysSo) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string text(3 << 20, 'x');
    writeText(scratch / "court.off", text);
    FileBytes bytes;
    ASSERT_TRUE(mapWholeFile((scratch / "court.off").string(), bytes));
    ASSERT_GE(bytes.mapping, 0);
    ASSERT_EQ(truncate((scratch / "court.off").c_str(), 1000), 0);
    // Every byte read, past the new end too, on this thread and another.
    size_t sums[2] = {0, 0};
    std::thread other([&] { sums[1] = std::count(bytes.data + bytes.size / 2, bytes.data + bytes.size, 'x'); });
    sums[0] = std::count(bytes.data, bytes.data + bytes.size / 2, 'x');
    other.join();
    EXPECT_EQ(sums[0] + sums[1], 1000u);
    EXPECT_FALSE(fileBytesIntact(bytes));
    releaseFileBytes(bytes);
    // The next mapping starts intact; a bus error that is not a shortened
    // mapping's still ends the program.
    writeText(scratch / "court.off", text);
    ASSERT_TRUE(mapWholeFile((scratch / "court.off").string(), bytes));
    EXPECT_TRUE(fileBytesIntact(bytes));
    releaseFileBytes(bytes);
    EXPECT_DEATH(std::raise(SIGBUS), "");
}

TEST_F(ModelFiles, MalformedFileEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    writeText(scratch / "faux.off", "OFF\n3 1\n0 0 0\n1 0 0\n0 1 0\n3 0 1 5\n");
    EXPECT_EXIT(
        {
            scripted::queueOpenAnswer((scratch / "faux.off").string());
            openModel();
        },
        ::testing::ExitedWithCode(1), "");
}

TEST_F(ModelFiles, SaveWritesTheModelAndLeavesItAsItWas) {
    scripted::queueOpenAnswer((scratch / "t.off").string());
    writeText(scratch / "t.off", triangleFile);
    openModel();
    std::vector<float> before(mesh.vertexX, mesh.vertexX + 3);
    scripted::queueSaveAnswer((scratch / "copie").string());
    saveModel();
    EXPECT_TRUE(scripted::shownBoxes().empty());
    EXPECT_EQ(readText(scratch / "copie.off"), formatOffText(mesh));
    EXPECT_EQ(readText(scratch / "copie.off").substr(0, 16), "OFF  brique.jpg\n");
    EXPECT_EQ(std::vector<float>(mesh.vertexX, mesh.vertexX + 3), before);
    // Cancelled: nothing is written.
    saveModel();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch), {}), 2);
}

TEST_F(ModelFiles, FailedSaveIsReportedAndLeavesFilesAsTheyWere) {
    newModel();
    std::filesystem::create_directory(scratch / "pris.off");
    writeText(scratch / "pris.off" / "dedans.txt", "gardé");
    scripted::queueSaveAnswer((scratch / "pris.off").string());
    saveModel();
    scripted::queueSaveAnswer((scratch / "absent" / "m.off").string());
    saveModel();
    ASSERT_EQ(scripted::shownBoxes().size(), 2u);
    EXPECT_EQ(scripted::shownBoxes()[0].text, "ERREUR  !!!\n\nImpossible d'écrire le fichier pris.off");
    EXPECT_EQ(scripted::shownBoxes()[1].text, "ERREUR  !!!\n\nImpossible d'écrire le fichier m.off");
    EXPECT_EQ(readText(scratch / "pris.off" / "dedans.txt"), "gardé");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch), {}), 1);
}

#if !defined(__SANITIZE_ADDRESS__)
// Memory running out even for the pieces of the text: the model stays and the user is
// told; nothing is written. Run in a child process under an address-space limit.
TEST_F(ModelFiles, SaveWithoutMemoryKeepsTheModelAndWritesNothing) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto saveUnderLimit = [this] {
        newModel();
        const int vertexCount = 2000000;  // 24 MB of coordinates, a text of about 98 MB in 2 MB pieces
        if (!resizeVertexArrays(vertexCount)) std::_Exit(4);
        std::memset(mesh.vertexX, 0, sizeof(float) * vertexCount);
        std::memset(mesh.vertexY, 0, sizeof(float) * vertexCount);
        std::memset(mesh.vertexZ, 0, sizeof(float) * vertexCount);
        mesh.vertexCount = vertexCount;
        std::ifstream statm("/proc/self/statm");
        size_t pages = 0;
        statm >> pages;
        rlimit limit{};
        limit.rlim_cur = limit.rlim_max = pages * static_cast<size_t>(sysconf(_SC_PAGESIZE)) + (1u << 20);  // less than one piece
        setrlimit(RLIMIT_AS, &limit);
        scripted::queueSaveAnswer((scratch / "grand.off").string());
        saveModel();
        bool told = scripted::shownBoxes().size() == 1 &&
                    scripted::shownBoxes()[0].text ==
                        "ERREUR  !!!\n\nmémoire insuffisante : le fichier grand.off n'est pas écrit";
        bool kept = mesh.vertexCount == vertexCount && mesh.vertexX != nullptr;
        bool nothingWritten = std::distance(std::filesystem::directory_iterator(scratch), {}) == 0;
        std::_Exit(told && kept && nothingWritten ? 0 : 3);
    };
    EXPECT_EXIT(saveUnderLimit(), ::testing::ExitedWithCode(0), "");
}
#endif
