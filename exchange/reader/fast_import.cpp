#include "exchange/reader/fast_reading.h"

#include <sys/stat.h>

#include "core/paths.h"

bool openReader(BlockReader& reader, const std::string& folder, const std::string& path,
                FileRole role) {
    std::string problem;
    reader.fd = openInsideFolder(folder, path, problem, role);
    struct stat status;
    if (reader.fd < 0 || ::fstat(reader.fd, &status) != 0) return false;
    reader.size = static_cast<uint64_t>(status.st_size);
    return true;
}

FastImport importFast(const std::string& path, const std::string& folder, MergedScene& merged,
                      ImportedModel& model, std::string& textureProblem) {
    std::string extension = lowerExtensionOf(path);
    if (extension != "stl" && extension != "ply" && extension != "obj") return FastImport::NotHandled;
    BlockReader file;
    if (!openReader(file, folder, path, FileRole::Model)) return FastImport::NotHandled;
    SceneMerger merger;
    ImportedModel found;
    std::string problem;
    FastImport result = FastImport::NotHandled;
    if (extension == "stl") {
        result = readBinaryStl(file, merger);
        problem = noDiffuseTexture;
    } else if (extension == "ply") {
        result = readBinaryPly(file, merger, found);
        problem = noDiffuseTexture;
    } else {
        result = readSimpleObj(file, folder, merger, found, problem);
    }
    if (result != FastImport::Read) return result;
    merged = std::move(merger.merged);
    model.texture = std::move(found.texture);
    model.hadTextureCoordinates = found.hadTextureCoordinates;
    textureProblem = problem;
    return result;
}
