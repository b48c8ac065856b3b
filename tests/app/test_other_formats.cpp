// The window's open and save dialogs with the other formats: the Kestrune OFF
// entries stay first, other files go through the contained import, Sauver
// writes the export formats.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "kestrune_version.h"
#include "app/model_files.h"
#include "app/window_proc.h"
#include "app/pending_import.h"
#include "state/program_state.h"
#include "exchange/import/contained_import.h"
#include "mesh/mesh.h"
#include "mesh/model_picture.h"
#include "platform/scripted/scripted.h"
#include "render/textures.h"
#include "support/program_fixture.h"
#include "render/render_state.h"

namespace fs = std::filesystem;

namespace {

// A unit cube of six quads whose material names the example bricks.
const char* const cubeObj =
    "mtllib cube.mtl\nusemtl briques\n"
    "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
    "f 1 4 3 2\nf 5 6 7 8\nf 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n";
const char* const cubeMtl = "newmtl briques\nmap_Kd briques.jpg\n";

void writeText(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

std::string readText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class OtherFormats : public ProgramTest {
protected:
    void writeCube(const fs::path& folder) {
        fs::create_directories(folder);
        writeText(folder / "cube.obj", cubeObj);
        writeText(folder / "cube.mtl", cubeMtl);
        fs::copy_file(fs::path(KESTRUNE_EXAMPLES) / "briques.jpg", folder / "briques.jpg");
    }
    void expectStartingModel() {
        EXPECT_EQ(mesh.vertexCount, 1);
        EXPECT_EQ(mesh.faceCount, 1);
        EXPECT_EQ(scripted::windowTitle(), "Kestrune v " KESTRUNE_VERSION);
    }
};

}  // namespace

TEST_F(OtherFormats, DialogsKeepTheOffEntriesFirstAndStartOnTheNamedFile) {
    writeText(scratch / "m.obj", cubeObj);
    struct Case {
        std::string modelFile;
        std::string initialName;
    };
    const Case cases[] = {{"", "/exemples/"},
                          {"m.obj", (scratch / "m.obj").string()},
                          {(scratch / "m.obj").string(), (scratch / "m.obj").string()},
                          {"absent.obj", "/exemples/"},
                          {scratch.string(), "/exemples/"}};
    for (const Case& c : cases) {
        fs::current_path(scratch);
        openModel("/exemples", c.modelFile);
        EXPECT_EQ(scripted::openDialogInitialName(), c.initialName) << c.modelFile;
        expectStartingModel();
    }
    const std::vector<std::string> openEntries = {
        "Fichier off (*.off)|*.off", "Tout fichier (*.*)|*.*",
        "Autres formats (*.obj *.ply *.stl *.gltf *.glb *.fbx *.dae *.3ds)|*.obj *.ply *.stl *.gltf *.glb *.fbx "
        "*.dae *.3ds"};
    EXPECT_EQ(scripted::lastDialogFilters(), openEntries);
    saveModel();
    ASSERT_EQ(scripted::lastDialogFilters().size(), 6u);
    EXPECT_EQ(scripted::lastDialogFilters()[0], "Fichier off(* off)|*.off");
    EXPECT_EQ(scripted::lastDialogFilters()[5], "Fichier glb (*.glb)|*.glb");
}

// The imported cube is drawn with its picture, taken from memory; saved as
// GLB it reads back with the same shape; saved as OFF elsewhere its picture
// goes beside it, so that it opens again.
TEST_F(OtherFormats, ImportedModelOpensWithItsPictureAndSavesInEveryFormat) {
    writeCube(scratch / "modeles");
    scripted::queueOpenAnswer((scratch / "modeles" / "cube.obj").string());
    openModel();
    finishPendingImport();
    ASSERT_TRUE(scripted::shownBoxes().empty()) << scripted::shownBoxes()[0].text;
    EXPECT_EQ(scripted::windowTitle(), "Kestrune v " KESTRUNE_VERSION " - votre modèle : cube.obj");
    EXPECT_EQ(mesh.vertexCount, 8);
    EXPECT_EQ(mesh.faceCount, 6);
    EXPECT_STREQ(mesh.textureFileName, "briques.jpg");
    EXPECT_EQ(modelPicture.jpeg, readText(scratch / "modeles" / "briques.jpg"));
    EXPECT_EQ(program.display.textureSlot, 1);

    fs::create_directory(scratch / "sorties");
    scripted::queueSaveAnswer((scratch / "sorties" / "x.glb").string());
    saveModel();
    scripted::queueSaveAnswer((scratch / "sorties" / "x").string());
    saveModel();
    ASSERT_TRUE(scripted::shownBoxes().empty()) << scripted::shownBoxes()[0].text;
    EXPECT_EQ(readText(scratch / "sorties" / "briques.jpg"), readText(scratch / "modeles" / "briques.jpg"));
    EXPECT_EQ(readText(scratch / "sorties" / "x.off").substr(0, 17), "OFF  briques.jpg\n");

    ImportedModel back;
    std::string failure;
    ASSERT_TRUE(importContained((scratch / "sorties" / "x.glb").string(), importLimitsFor(1 << 20, false), back,
                                failure))
        << failure;
    EXPECT_EQ(back.positions.size(), 8u * 3);
    EXPECT_EQ(back.corners.size(), 12u * 4);  // quads cut in two
    EXPECT_TRUE(back.texture.has_value());
}

// A file the import cannot read, or a format no export writes: a message,
// and the program goes on as it was.
TEST_F(OtherFormats, FailuresAreToldAndLoseNothing) {
    writeText(scratch / "casse.stl", "solid x\nfacet normal 0 0 1\nouter loop\nvertex 0 0\n");
    scripted::queueOpenAnswer((scratch / "casse.stl").string());
    openModel();
    finishPendingImport();
    ASSERT_EQ(scripted::shownBoxes().size(), 1u);
    EXPECT_EQ(scripted::shownBoxes()[0].text.rfind("ERREUR  !!!\n\n", 0), 0u);
    EXPECT_NE(scripted::shownBoxes()[0].text.find("casse.stl"), std::string::npos);
    expectStartingModel();

    scripted::queueSaveAnswer((scratch / "x.inconnu").string());
    saveModel();
    ASSERT_EQ(scripted::shownBoxes().size(), 2u);
    EXPECT_EQ(scripted::shownBoxes()[1].text.rfind("ERREUR  !!!\n\nImpossible d'écrire le fichier x.inconnu", 0), 0u);
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch), {}), 1);
}

// A reader that takes its time: the frames go on with the model the window
// had, commands that would change it wait, and Escape stops the child at
// once without quitting.
TEST_F(OtherFormats, TheWindowLivesDuringASlowImportAndEscapeStopsIt) {
    const fs::path worker = scratch / "lecteur-lent";
    writeText(worker, "#!/bin/sh\nexec sleep 30\n");
    fs::permissions(worker, fs::perms::owner_all);
    const char* previousWorker = std::getenv("KESTRUNE_IMPORT_WORKER");
    const std::string buildWorker = previousWorker != nullptr ? previousWorker : "";
    setenv("KESTRUNE_IMPORT_WORKER", worker.c_str(), 1);
    writeCube(scratch / "modeles");
    startProgram();
    scripted::queueOpenAnswer((scratch / "modeles" / "cube.obj").string());
    command(OpenModelCommand);
    ASSERT_TRUE(importRunning());
    const pid_t child = pendingImport.job.pid;

    scripted::setFrameBudget(12);
    sys::runMessageLoop();
    EXPECT_EQ(scripted::framesDrawn(), 12);  // the loop keeps drawing
    EXPECT_EQ(scripted::lastStatusText(), "Importation de cube.obj… 0 s");
    const size_t dialogs = scripted::dialogLog().size();
    for (int id : {TriangulateCommand, CreateVerticesCommand, NewModelCommand, SaveModelCommand}) command(id);
    EXPECT_EQ(program.edit.editMode, Base);
    EXPECT_EQ(scripted::dialogLog().size(), dialogs) << "no dialog while importing";
    EXPECT_TRUE(importRunning());
    expectStartingModel();

    auto pressed = std::chrono::steady_clock::now();
    onEscape();
    EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::milliseconds(500));
    EXPECT_FALSE(importRunning());
    EXPECT_FALSE(scripted::quitPosted());
    EXPECT_NE(::kill(child, 0), 0) << "the child is gone";
    expectStartingModel();
    EXPECT_TRUE(scripted::shownBoxes().empty());
    frame();
    EXPECT_EQ(scripted::lastStatusText().rfind("Importation", 0), std::string::npos);
    setenv("KESTRUNE_IMPORT_WORKER", buildWorker.c_str(), 1);
}
