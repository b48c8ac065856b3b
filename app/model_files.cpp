#include "app/model_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "core/file_bytes.h"
#include "mesh/off_file.h"
#include "core/options.h"
#include "core/paths.h"
#include "core/regular_file.h"
#include "state/messages.h"
#include "state/program_state.h"
#include "app/pending_import.h"
#include "exchange/import/incoming_model.h"
#include "exchange/export/model_output.h"
#include "mesh/mesh.h"
#include "mesh/model_picture.h"
#include "mesh/off_reader.h"
#include "platform/platform.h"
#include "render/textures.h"
#include "render/render_state.h"

namespace {

const char* const openTitle = "Choisissez le fichier du modèle à ouvrir.";
const char* const modelTitle = " - votre modèle : ";

// The Kestrune OFF entries first, then what the import reads well.
const std::vector<sys::FileFilter> openFilters = {
    {"Fichier off (*.off)", "*.off"},
    {"Tout fichier (*.*)", "*.*"},
    {"Autres formats (*.obj *.ply *.stl *.gltf *.glb *.fbx *.dae *.3ds)",
     "*.obj *.ply *.stl *.gltf *.glb *.fbx *.dae *.3ds"}};

// OFF first and chosen; the typed extension picks the format.
const std::vector<sys::FileFilter> saveFilters = {
    {"Fichier off(* off)", "*.off"},       {"Fichier obj (*.obj)", "*.obj"},
    {"Fichier ply (*.ply)", "*.ply"},      {"Fichier stl (*.stl)", "*.stl"},
    {"Fichier gltf (*.gltf)", "*.gltf"},   {"Fichier glb (*.glb)", "*.glb"}};

// Where the open dialog starts: on the file named on the command line when
// it exists, else in `startFolder`.
std::string dialogStart(const std::string& startFolder, const std::string& modelFile) {
    std::error_code failed;
    if (!modelFile.empty() && std::filesystem::is_regular_file(modelFile, failed)) {
        std::filesystem::path absolute = std::filesystem::absolute(modelFile, failed);
        if (!failed) return absolute.lexically_normal().string();
    }
    return startFolder.empty() ? startFolder : startFolder + "/";
}

void readOffModel(const std::string& path) {
    std::string name = fileNameOf(path);
    sys::setWindowTitle(std::string(sys::programTitle) + modelTitle + name);
    IncomingModel incoming;
    switch (receiveModel(path, ModelRequest{}, mesh, incoming)) {
        case ModelRead::Read: break;
        case ModelRead::Unreadable:
            reportError("Impossible de lire le fichier " + name);
            startingModel();
            return;
        case ModelRead::OutOfMemory: fatalError("mémoire insuffisante");
        case ModelRead::Malformed:
        case ModelRead::ImportFailed: fatalError("fichier modèle erroné");
    }
    program.display.textureSlot = 1;
}

// The picture shown on the model, as a save writes it: under the name the
// model gives it, or with none (the writer names it after the saved file)
// when it was stored inside an imported file; none when the model shows
// the uniform colour.
std::optional<TextureFile> savedTexture() {
    if (mesh.textureFileName[0] == '\0' || modelPicture.jpeg.empty()) return std::nullopt;
    TextureFile picture{mesh.textureFileName, modelPicture.jpeg};
    if (modelPicture.imported && modelPicture.takesSavedName) picture.name.clear();
    return picture;
}

// Whether the picture shown is the one an import brought (no file of it
// stands beside the model).
bool showsImportedPicture() {
    return modelPicture.imported && mesh.textureFileName[0] != '\0' && !modelPicture.jpeg.empty();
}

// The writers' messages, one a line, as one box shows them.
std::string boxText(std::string lines) {
    while (!lines.empty() && lines.back() == '\n') lines.pop_back();
    return lines;
}

// An OFF save of an imported model puts its picture beside the file, so
// that the saved model opens again with it (one stored inside the model
// file takes the saved file's name, as kestrune-batch names it); the two
// are written as one set and no other picture is replaced. Other models
// keep the texture name they were read with.
// Writes the model as `plan` says, whole or not at all, with the texture
// mapping the window draws and `picture`; tells what went wrong or was left
// out. True when it was written.
bool writeTelling(const OutputPlan& plan, const std::optional<TextureFile>& picture) {
    std::string name = fileNameOf(plan.path);
    std::ostringstream messages;
    bool written = false;
    try {
        written = writeModel(plan, exportMappingSettings(), options.uniformColor, picture, false, messages);
    } catch (const std::bad_alloc&) {
        reportError("mémoire insuffisante : le fichier " + name + " n'est pas écrit");
        return false;
    }
    std::string told = boxText(messages.str());
    if (!written) {
        reportError("Impossible d'écrire le fichier " + name + (told.empty() ? "" : " :\n" + told));
    } else if (!told.empty()) {
        showMessage(told);
    }
    return written;
}

void saveOff(const OutputPlan& plan) {
    // The model keeps its picture as it was: each save names it afresh.
    if (showsImportedPicture()) {
        writeTelling(plan, savedTexture());
        return;
    }
    std::string name = fileNameOf(plan.path);
    // The text is streamed to the file: the model stays whole whatever
    // happens, and memory running out is told apart from a failed write.
    OffSaveResult result = saveOffFile(plan.path, mesh);
    if (result == OffSaveResult::MemoryExhausted) {
        reportError("mémoire insuffisante : le fichier " + name + " n'est pas écrit");
    } else if (result == OffSaveResult::WriteFailed) {
        reportError("Impossible d'écrire le fichier " + name);
    }
}

}  // namespace

void showImportNotes() {
    if (program.opened.pendingNotes.empty()) return;
    std::string notes;
    notes.swap(program.opened.pendingNotes);
    showMessage(notes);
}

void startingModel() {
    forgetModelTexture();
    if (!newModel()) fatalError("mémoire insuffisante");
    sys::setWindowTitle(sys::programTitle);
    program.display.textureSlot = 0;
}

std::optional<std::string> chooseModelFile(const std::string& startFolder, const std::string& modelFile) {
    return sys::chooseFileToOpen(openTitle, openFilters, dialogStart(startFolder, modelFile));
}

void readChosenModel(const std::optional<std::string>& chosen) {
    forgetModelTexture();
    if (!chosen) {
        startingModel();
    } else if (readsAsKestruneOff(*chosen)) {
        readOffModel(*chosen);
    } else {
        // The import runs while the frames go on; the starting model is
        // drawn until it lands.
        startingModel();
        beginImport(*chosen);
    }
}

void openModel(const std::string& startFolder, const std::string& modelFile) {
    readChosenModel(chooseModelFile(startFolder, modelFile));
}

void forgetModelTexture() {
    modelPicture = ModelPicture();
    program.opened = OpenedModelState();
}

void useImportedPicture(const IncomingModel& incoming) {
    if (!incoming.picture) return;
    const IncomingPicture& picture = *incoming.picture;
    setTextureName(mesh, picture.file.name);
    modelPicture = ModelPicture{picture.file.bytes, true, picture.takesSavedName};
}

void saveModel() {
    std::optional<std::string> chosen = sys::chooseFileToSave(saveFilters, "off");
    if (!chosen) return;
    OutputPlan plan;
    std::string problem;
    if (!planOutput(*chosen, false, false, plan, problem)) {
        reportError("Impossible d'écrire le fichier " + fileNameOf(*chosen) + " : " + problem);
    } else if (plan.kind == OutputKind::KestruneOff) {
        saveOff(plan);
    } else {
        // Other formats carry the picture shown.
        writeTelling(plan, savedTexture());
    }
}
