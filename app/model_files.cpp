#include "app/model_files.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <new>
#include <string>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/app_state.h"
#include "app/core/regular_file.h"
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

// A block of `bytes`; large ones ask for 2 MB pages, which spares the kernel
// most page faults while a big model file is read in.
char* blockFor(size_t bytes) {
    char* block = static_cast<char*>(std::malloc(bytes > 0 ? bytes : 1));
    const uintptr_t hugePage = uintptr_t{1} << 21;
    if (block != nullptr && bytes >= 2 * hugePage) {
        uintptr_t begin = (reinterpret_cast<uintptr_t>(block) + hugePage - 1) & ~(hugePage - 1);
        uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~(hugePage - 1);
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
    return block;
}

}  // namespace

bool readWholeFile(const std::string& path, FileBytes& bytes) {
    bytes = FileBytes{};
    int fd = openRegularFileForReading(path);
    if (fd < 0) return false;
    struct stat status;
    bool ok = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    size_t size = ok ? static_cast<size_t>(status.st_size) : 0;
    char* block = ok ? blockFor(size) : nullptr;
    ok = block != nullptr;
    size_t got = 0;
    while (ok && got < size) {
        ssize_t part = ::read(fd, block + got, size - got);
        if (part < 0 && errno == EINTR) continue;
        if (part < 0) ok = false;
        if (part <= 0) break;  // at 0 the file shrank: take what it holds
        got += static_cast<size_t>(part);
    }
    ::close(fd);
    if (!ok) {
        std::free(block);
        return false;
    }
    bytes.data = block;
    bytes.size = got;
    return true;
}

void releaseFileBytes(FileBytes& bytes) {
    std::free(bytes.data);
    bytes = FileBytes{};
}

void startingModel() {
    if (!newModel()) fatalError("mémoire insuffisante");
    setWindowTitle(programTitle);
    display.textureSlot = 0;
}

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
