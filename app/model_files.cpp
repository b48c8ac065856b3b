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
#include "core/off_file.h"
#include "core/options.h"
#include "core/paths.h"
#include "core/regular_file.h"
#include "state/messages.h"
#include "state/program_state.h"
#include "exchange/contained_import.h"
#include "exchange/export_mapping.h"
#include "exchange/model_output.h"
#include "mesh/mesh.h"
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

void forgetModelTexture() {
    render.textures.loadedJpeg.clear();
    program.opened.importedTextureName.clear();
    program.opened.pendingNotes.clear();
}

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

uint64_t fileSizeOf(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_size) : 0;
}

void readOffModel(const std::string& path) {
    std::string name = fileNameOf(path);
    sys::setWindowTitle(std::string(sys::programTitle) + modelTitle + name);
    FileBytes text;
    if (!readWholeFile(path, text)) {
        reportError("Impossible de lire le fichier " + name);
        startingModel();
        return;
    }
    bool memoryExhausted = false;
    bool read = readOffText(text.data, text.size, mesh, &memoryExhausted);
    releaseFileBytes(text);
    if (!read) {
        fatalError(memoryExhausted ? "mémoire insuffisante" : "fichier modèle erroné");
    }
    program.display.textureSlot = 1;
}

// Builds the model from the child's vertices and faces as its Kestrune OFF
// file would read; they are released as soon as the mesh holds them.
bool readImportedText(ImportedModel& imported, const std::string& name, std::string& failure) {
    bool memoryExhausted = false;
    bool read = installImportedModel(imported, mesh, &memoryExhausted);
    std::vector<float>().swap(imported.positions);
    std::vector<int32_t>().swap(imported.corners);
    if (!read) {
        failure = memoryExhausted ? "mémoire insuffisante : le fichier " + name + " n'est pas ouvert"
                                  : "Le fichier " + name + " n'a pas pu être importé : fichier modèle erroné";
    }
    return read;
}

// The picture found by the import is drawn from its bytes: nothing is
// written beside the user's file.
void useImportedTexture(const ImportedModel& imported) {
    if (!imported.texture || !isStorableTextureName(imported.texture->name) ||
        imported.texture->bytes.empty()) {
        return;
    }
    setTextureName(mesh, imported.texture->name);
    render.textures.loadedJpeg = imported.texture->bytes;
    program.opened.importedTextureName = imported.texture->name;
}

// What the import left out or changed, told once, after the first frame.
void tellImportNotes(const ImportedModel& imported, const std::string& name) {
    std::fprintf(stderr, "kestrune : %s importé : %d sommets, %d faces\n", name.c_str(), mesh.vertexCount,
                 mesh.faceCount);
    // The import's notes say once what it left out or replaced (the file's
    // own texture coordinates among them).
    // A file that names no texture only gets a line on the standard error.
    const std::string& notes = imported.notes;
    std::fputs((notes + imported.quietNotes).c_str(), stderr);
    if (notes.empty()) return;
    program.opened.pendingNotes = "Importation de " + name + " :\n" + notes;
}

// Any other format is read by the import in a child process: a file that
// harms the library never harms the window. A failure leaves the starting
// model, with a message.
void importModel(const std::string& path) {
    std::string name = fileNameOf(path);
    ImportedModel imported;
    std::string failure;
    sys::setBusyCursor(true);
    bool read = importContained(path, importLimitsFor(fileSizeOf(path), false), imported, failure) &&
                readImportedText(imported, name, failure);
    sys::setBusyCursor(false);
    if (!read) {
        reportError(failure);
        startingModel();
        return;
    }
    useImportedTexture(imported);
    sys::setWindowTitle(std::string(sys::programTitle) + modelTitle + name);
    program.display.textureSlot = 1;
    tellImportNotes(imported, name);
}

// The picture shown on the model, with the name the model gives it; none
// when the model shows the uniform colour.
std::optional<TextureFile> shownTexture() {
    if (mesh.textureFileName[0] == '\0' || render.textures.loadedJpeg.empty()) return std::nullopt;
    return TextureFile{mesh.textureFileName, render.textures.loadedJpeg};
}

// The export's messages name the batch; the window shows them without.
std::string withoutBatchPrefix(const std::string& text) {
    std::istringstream lines(text);
    std::string line;
    std::string shown;
    const std::string prefix = "kestrune-batch : ";
    while (std::getline(lines, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0) line.erase(0, prefix.size());
        shown += (shown.empty() ? "" : "\n") + line;
    }
    return shown;
}

// An OFF save of an imported model puts its picture beside the file, so
// that the saved model opens again with it. Never replaces another picture.
bool placeImportedTexture(const std::string& path, const std::string& name) {
    std::optional<TextureFile> texture = shownTexture();
    if (!texture || texture->name != program.opened.importedTextureName) return true;
    std::string problem;
    if (placeTextureBeside(path, *texture, problem)) return true;
    reportError("Impossible d'écrire le fichier " + name + " : " + problem);
    return false;
}

void saveOff(const std::string& path) {
    std::string name = fileNameOf(path);
    if (!placeImportedTexture(path, name)) return;
    // The text is streamed to the file: the model stays whole whatever
    // happens, and memory running out is told apart from a failed write.
    OffSaveResult result = saveOffFile(path, mesh);
    if (result == OffSaveResult::MemoryExhausted) {
        reportError("mémoire insuffisante : le fichier " + name + " n'est pas écrit");
    } else if (result == OffSaveResult::WriteFailed) {
        reportError("Impossible d'écrire le fichier " + name);
    }
}

// Other formats are written whole or not at all, with the texture mapping
// the window draws and the picture it shows.
void saveExported(const std::string& path) {
    std::string name = fileNameOf(path);
    OutputPlan plan;
    std::string problem;
    if (!planOutput(path, false, false, plan, problem)) {
        reportError("Impossible d'écrire le fichier " + name + " : " + problem);
        return;
    }
    std::ostringstream messages;
    bool written = false;
    try {
        written = writeModel(plan, exportMappingSettings(), options.uniformColor, shownTexture(), false, messages);
    } catch (const std::bad_alloc&) {
        reportError("mémoire insuffisante : le fichier " + name + " n'est pas écrit");
        return;
    }
    std::string told = withoutBatchPrefix(messages.str());
    if (!written) {
        reportError("Impossible d'écrire le fichier " + name + (told.empty() ? "" : " :\n" + told));
    } else if (!told.empty()) {
        showMessage(told);
    }
}

}  // namespace

bool readAsKestruneOff(const std::string& path) {
    if (isOffPath(path)) return true;
    int fd = openRegularFileForReading(path);
    if (fd < 0) return true;
    char start[4] = {};
    ssize_t got = read(fd, start, sizeof start);
    close(fd);
    if (got < 0) return true;
    bool keyword = got >= 3 && std::memcmp(start, "OFF", 3) == 0;
    return keyword && (got == 3 || start[3] == ' ' || start[3] == '\t' || start[3] == '\n' || start[3] == '\r');
}

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

void openModel(const std::string& startFolder, const std::string& modelFile) {
    forgetModelTexture();
    std::optional<std::string> chosen =
        sys::chooseFileToOpen(openTitle, openFilters, dialogStart(startFolder, modelFile));
    if (!chosen) {
        startingModel();
    } else if (readAsKestruneOff(*chosen)) {
        readOffModel(*chosen);
    } else {
        importModel(*chosen);
    }
}

void saveModel() {
    std::optional<std::string> chosen = sys::chooseFileToSave(saveFilters, "off");
    if (!chosen) return;
    if (isOffPath(*chosen)) {
        saveOff(*chosen);
    } else {
        saveExported(*chosen);
    }
}
