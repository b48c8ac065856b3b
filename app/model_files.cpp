#include "app/model_files.h"

#include <string>

#include "app/core/file_bytes.h"
#include "app/core/paths.h"
#include "app/core/off_file.h"
#include "app/state/messages.h"
#include "app/state/program_state.h"
#include "mesh/mesh.h"
#include "mesh/off_reader.h"
#include "platform/platform.h"

void startingModel() {
    if (!newModel()) fatalError("mémoire insuffisante");
    setWindowTitle(programTitle);
    display.textureSlot = 0;
}

void openModel(const std::string& startFolder) {
    std::optional<std::string> chosen =
        chooseFileToOpen("Choisissez le fichier du modèle à ouvrir.",
                         {{"Fichier off (*.off)", "*.off"}, {"Tout fichier (*.*)", "*.*"}},
                         startFolder.empty() ? startFolder : startFolder + "/");
    if (!chosen) {
        startingModel();
        return;
    }
    std::string name = fileNameOf(*chosen);
    setWindowTitle(std::string(programTitle) + " - votre modèle : " + name);
    FileBytes text;
    if (!readWholeFile(*chosen, text)) {
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
    display.textureSlot = 1;
}

void saveModel() {
    std::optional<std::string> chosen = chooseFileToSave({{"Fichier off(* off)", "*.off"}}, "off");
    if (!chosen) return;
    std::string name = fileNameOf(*chosen);
    // The text is streamed to the file: the model stays whole whatever
    // happens, and memory running out is told apart from a failed write.
    OffSaveResult result = saveOffFile(*chosen, mesh);
    if (result == OffSaveResult::MemoryExhausted) {
        reportError("mémoire insuffisante : le fichier " + name + " n'est pas écrit");
    } else if (result == OffSaveResult::WriteFailed) {
        reportError("Impossible d'écrire le fichier " + name);
    }
}
