#include "app/model_files.h"

#include <cstdio>
#include <new>
#include <string>
#include <sys/stat.h>

#include "app/app_state.h"
#include "app/core/safe_file.h"
#include "app/messages.h"
#include "mesh/mesh.h"
#include "mesh/off_reader.h"
#include "mesh/off_writer.h"
#include "platform/platform.h"

namespace {

std::string fileNameOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The whole content of a regular file; false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::string& text) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    struct stat status;
    bool read = fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode);
    try {
        if (read) text.resize(static_cast<size_t>(status.st_size));
        if (read) read = std::fread(text.data(), 1, text.size(), file) == text.size();
        // A file that grew since fstat: take the rest too.
        char more[4096];
        for (size_t got; read && (got = std::fread(more, 1, sizeof more, file)) > 0;) text.append(more, got);
        read = read && !std::ferror(file);
    } catch (const std::bad_alloc&) {
        read = false;
    }
    std::fclose(file);
    return read;
}

void startingModel() {
    newModel();
    setWindowTitle(programTitle);
    display.textureSlot = 0;
}

}  // namespace

void openModel() {
    std::optional<std::string> chosen =
        chooseFileToOpen("Choisissez le fichier du modèle à ouvrir.",
                         {{"Fichier off (*.off)", "*.off"}, {"Tout fichier (*.*)", "*.*"}});
    if (!chosen) {
        startingModel();
        return;
    }
    std::string name = fileNameOf(*chosen);
    setWindowTitle(std::string(programTitle) + " - votre modèle : " + name);
    std::string text;
    if (!readWholeFile(*chosen, text)) {
        reportError("Impossible de lire le fichier " + name);
        startingModel();
        return;
    }
    bool memoryExhausted = false;
    if (!readOffText(text.data(), text.size(), mesh, &memoryExhausted)) {
        fatalError(memoryExhausted ? "mémoire insuffisante" : "fichier modèle erroné");
    }
    display.textureSlot = 1;
}

void saveModel() {
    std::optional<std::string> chosen = chooseFileToSave({{"Fichier off(* off)", "*.off"}}, "off");
    if (!chosen) return;
    std::string name = fileNameOf(*chosen);
    std::string text;
    try {
        text = formatOffText(mesh);
    } catch (const std::bad_alloc&) {
        // The model is still whole: say so and let the user go on (and save
        // it again once memory is freed) rather than end the program.
        reportError("mémoire insuffisante : le fichier " + name + " n'est pas écrit");
        return;
    }
    if (!replaceFileContents(*chosen, text)) reportError("Impossible d'écrire le fichier " + name);
}
