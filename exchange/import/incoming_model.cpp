#include "exchange/import/incoming_model.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <new>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

#include "core/file_bytes.h"
#include "core/regular_file.h"
#include "core/text_scan.h"
#include "core/paths.h"
#include "mesh/off_reader.h"

namespace {

uint64_t fileSizeOf(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? static_cast<uint64_t>(status.st_size) : 0;
}

// Whether the header line of a text the reader took holds nothing after the
// texture name: the reader keeps the first word only, so "OFF my tex.jpg"
// would be written back as "OFF  my".
bool headerCarriedWhole(const char* data, size_t size) {
    std::string_view rest(data, strnlen(data, size));
    std::string_view line;
    while (takeLine(rest, line, offHeaderLineLimit) == LineTaken) {
        if (!isBlankLine(line) && !isCommentLine(line)) break;
    }
    int words = 0;
    for (size_t k = 0; k < line.size(); ++k) {
        if (!isScanSpace(line[k]) && (k == 0 || isScanSpace(line[k - 1]))) ++words;
    }
    return words <= 2;
}

ModelRead readKestruneOff(const std::string& path, Mesh& into, IncomingModel& incoming) {
    FileBytes text;
    errno = 0;
    if (!mapWholeFile(path, text)) {
        if (errno == ENOMEM) {
            incoming.failure = "mémoire insuffisante";
            return ModelRead::OutOfMemory;
        }
        incoming.failure = "lecture impossible de « " + path + " »" +
                           (errno != 0 ? std::string(" : ") + std::strerror(errno) : std::string());
        return ModelRead::Unreadable;
    }
    bool memoryExhausted = false;
    Mesh parsed;
    bool read = readOffText(text.data, text.size, parsed, &memoryExhausted);
    incoming.headerWhole = !read || headerCarriedWhole(text.data, text.size);
    bool intact = fileBytesIntact(text);
    releaseFileBytes(text);
    if (!intact) {
        // Shortened by another program while it was read: what was read is
        // not the file, whatever it made, and the model in hand stays.
        releaseMeshArrays(parsed);
        incoming.failure = "lecture impossible de « " + path + " » : " + std::strerror(EIO);
        return ModelRead::Unreadable;
    }
    if (read) replaceMesh(into, parsed);
    if (read) return ModelRead::Read;
    incoming.failure = memoryExhausted ? "mémoire insuffisante" : "fichier modèle erroné";
    return memoryExhausted ? ModelRead::OutOfMemory : ModelRead::Malformed;
}

// The name a picture without one of its own is shown under: the model
// file's, with ".jpg".
std::string shownNameFor(const std::string& modelPath) {
    std::string name = std::filesystem::path(modelPath).stem().string() + ".jpg";
    return usableTextureName(name) && isStorableTextureName(name) ? name : std::string("texture.jpg");
}

// What the child found, as the callers take it: the picture under a name an
// OFF header holds, the notes apart from the arrays.
ModelRead arrived(const std::string& path, ImportedModel& scene, IncomingModel& incoming) {
    incoming.imported = true;
    incoming.notes = std::move(scene.notes);
    incoming.quietNotes = std::move(scene.quietNotes);
    if (scene.texture && !scene.texture->bytes.empty()) {
        IncomingPicture picture{std::move(*scene.texture), false};
        const std::string& name = picture.file.name;
        picture.takesSavedName = !usableTextureName(name) || !isStorableTextureName(name);
        if (picture.takesSavedName) picture.file.name = shownNameFor(path);
        incoming.picture = std::move(picture);
    }
    scene.texture.reset();
    incoming.scene = std::move(scene);
    return ModelRead::Read;
}

}  // namespace

bool readsAsKestruneOff(const std::string& path) {
    if (isOffPath(path)) return true;
    int fd = openRegularFileForReading(path);
    if (fd < 0) return true;
    char start[4] = {};
    ssize_t got = ::read(fd, start, sizeof start);
    ::close(fd);
    if (got < 0) return true;
    bool keyword = got >= 3 && std::memcmp(start, "OFF", 3) == 0;
    return keyword && (got == 3 || start[3] == ' ' || start[3] == '\t' || start[3] == '\n' || start[3] == '\r');
}

ImportLimits importLimitsOf(const std::string& path, const ModelRequest& request) {
    return importLimitsFor(fileSizeOf(path), request.thumbnail);
}

bool startModelImport(const std::string& path, const ModelRequest& request, ImportJob& job,
                      IncomingModel& incoming) {
    incoming = IncomingModel();
    incoming.path = path;
    incoming.imported = true;
    return startImport(path, importLimitsOf(path, request), job, incoming.failure);
}

ModelRead finishModelImport(ImportJob& job, IncomingModel& incoming) {
    ImportedModel scene;
    if (!finishImport(job, scene, incoming.failure)) return ModelRead::ImportFailed;
    return arrived(incoming.path, scene, incoming);
}

ModelRead receiveModel(const std::string& path, const ModelRequest& request, Mesh& into, IncomingModel& incoming) {
    incoming = IncomingModel();
    incoming.path = path;
    if (!request.throughLibrary && readsAsKestruneOff(path)) return readKestruneOff(path, into, incoming);
    ImportJob job;
    if (!startModelImport(path, request, job, incoming)) return ModelRead::ImportFailed;
    while (!advanceImport(job, 1000)) {
    }
    return finishModelImport(job, incoming);
}

ModelRead installIncoming(IncomingModel& incoming, Mesh& into, bool keepScene) {
    if (!incoming.imported) return ModelRead::Read;
    bool memoryExhausted = false;
    bool installed = installImportedModel(incoming.scene, into, &memoryExhausted);
    if (!keepScene) incoming.scene = ImportedModel();
    if (installed) return ModelRead::Read;
    incoming.failure = memoryExhausted ? std::string("mémoire insuffisante")
                                       : "« " + incoming.path + " » : coordonnées hors de portée d'un modèle Kestrune";
    return memoryExhausted ? ModelRead::OutOfMemory : ModelRead::Malformed;
}

ModelRead readModelFile(const std::string& path, const ModelRequest& request, Mesh& into, IncomingModel& incoming) {
    ModelRead read = receiveModel(path, request, into, incoming);
    return read == ModelRead::Read ? installIncoming(incoming, into) : read;
}

TextureFile savedPicture(const IncomingPicture& picture) {
    TextureFile saved = picture.file;
    if (picture.takesSavedName) saved.name.clear();
    return saved;
}
