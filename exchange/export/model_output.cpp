#include "exchange/export/model_output.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <new>
#include <vector>

#include "mesh/off_file.h"
#include "core/options.h"
#include "core/paths.h"
#include "core/safe_file.h"
#include "exchange/scene/confined_path.h"
#include "exchange/export/imported_off.h"
#include "mesh/mesh.h"
#include "mesh/off_writer.h"

namespace {

std::string writeFailure(const std::string& path) {
    return "écriture impossible de « " + path + " »" +
           (errno != 0 ? std::string(" : ") + std::strerror(errno) : std::string()) + "\n";
}

// Gives an embedded picture the output's name and checks that the picture
// can stand beside the output under its name; reports why not.
bool textureFits(const std::string& output, TextureFile& texture, std::ostream& err) {
    if (texture.name.empty()) texture.name = std::filesystem::path(output).stem().string() + ".jpg";
    std::string problem;
    if (!usableTextureName(texture.name)) {
        problem = "le nom « " + texture.name + " » ne tient pas sur la ligne d'en-tête OFF";
    } else if (textureFitsBeside(output, texture, problem)) {
        return true;
    }
    err << "texture laissée de côté : " << problem << "\n";
    return false;
}

// Replaces the files as one set (a single file alone); memory running out
// while they are made is thrown once every temporary is gone. With `ready`,
// the set replaces its targets only if it says yes once every file is made;
// otherwise false, without a message.
bool replaceAll(const std::vector<ExportedFile>& files, std::ostream& err,
                const std::function<bool()>& ready = {}) {
    bool memoryExhausted = false;
    bool refused = false;
    std::vector<FileReplacement> set;
    for (const ExportedFile& file : files) {
        const FileSections* sections = &file.sections;
        bool last = &file == &files.back();
        set.push_back({file.path, [sections, last, &ready, &memoryExhausted, &refused](int fd) {
                           if (!writeSectionsToFile(fd, *sections, offTextChunkSize, &memoryExhausted)) return false;
                           refused = last && ready && !ready();
                           return !refused;
                       }});
    }
    errno = 0;
    bool replaced = set.size() == 1 ? replaceFileWith(set[0].path, set[0].writeContents) : replaceFilesTogether(set);
    if (replaced || refused) return replaced;
    if (memoryExhausted) throw std::bad_alloc();
    err << writeFailure(files.back().path);
    return false;
}

// The picture copied beside the model, part of the set, unless the same
// bytes are there already (textureFits let nothing else through).
void addTextureBeside(const std::string& output, const TextureFile& texture, std::vector<ExportedFile>& files) {
    std::string target = (std::filesystem::path(output).parent_path() / texture.name).string();
    std::error_code ignored;
    if (std::filesystem::exists(target, ignored)) return;
    files.insert(files.begin(), {target, {bytesSection(texture.bytes)}});
}

// The OFF file and the picture it names, replaced as one set: a failure
// leaves every old file and adds none.
bool writeKestruneOff(const std::string& path, std::optional<TextureFile>& texture, bool keepHeaderName,
                      std::ostream& err) {
    // Streamed into the file as it is made: a big model's text is never held whole.
    errno = 0;
    OffSaveResult saved = OffSaveResult::Saved;
    if (keepHeaderName) {
        saved = saveOffFile(path, mesh);
    } else {
        if (texture && !textureFits(path, *texture, err)) texture.reset();
        std::string target = texture ? (std::filesystem::path(path).parent_path() / texture->name).string() : "";
        std::error_code ignored;
        std::vector<FileReplacement> picture;
        if (texture && !std::filesystem::exists(target, ignored)) {
            const std::string* bytes = &texture->bytes;
            picture.push_back({target, [bytes](int fd) { return writeAllTo(fd, bytes->data(), bytes->size()); }});
        }
        saved = saveOffFileNaming(path, mesh, texture ? texture->name : std::string(), picture);
    }
    if (saved == OffSaveResult::Saved) return true;
    if (saved == OffSaveResult::MemoryExhausted) throw std::bad_alloc();
    err << writeFailure(path);
    return false;
}

bool writeExport(const OutputPlan& plan, const MappingSettings& mapping, long uniformColor,
                 std::optional<TextureFile>& texture, std::ostream& err) {
    if (!plan.format.cornerTextures) texture.reset();
    bool besideOutput = texture && !plan.format.embedsTexture;
    if (besideOutput && !textureFits(plan.path, *texture, err)) texture.reset();
    std::vector<ExportedFile> files;
    std::string problem;
    if (!exportFiles(plan.path, plan.format, mapping, uniformColor, texture ? &*texture : nullptr, files, problem)) {
        err << "« " << plan.path << " » : export impossible : " << problem << "\n";
        return false;
    }
    if (texture && besideOutput) addTextureBeside(plan.path, *texture, files);
    return replaceAll(files, err);
}

}  // namespace

bool planOutput(const std::string& path, bool standardOff, bool ascii, OutputPlan& plan, std::string& problem) {
    plan.path = path;
    if (isOffPath(path)) {
        plan.kind = standardOff ? OutputKind::StandardOff : OutputKind::KestruneOff;
        return true;
    }
    plan.kind = OutputKind::Export;
    return exportFormatFor(path, ascii, plan.format, problem);
}

std::optional<TextureFile> textureBesideModel(const std::string& inputPath, const char* name, std::ostream& err) {
    if (name[0] == '\0') return std::nullopt;
    // Looked up beside the model and never outside its folder.
    std::string problem;
    std::string folder = modelFolder(inputPath, problem);
    TextureFile texture;
    if (folder.empty() || !readTextureInFolder(folder, folder + "/" + name, texture, problem)) {
        err << "modèle exporté sans texture : " << problem << "\n";
        return std::nullopt;
    }
    return texture;
}

bool writeModel(const OutputPlan& plan, const MappingSettings& mapping, long uniformColor,
                std::optional<TextureFile> texture, bool keepHeaderName, std::ostream& err) {
    switch (plan.kind) {
        case OutputKind::KestruneOff: return writeKestruneOff(plan.path, texture, keepHeaderName, err);
        case OutputKind::StandardOff: return replaceAll({{plan.path, standardOffFile()}}, err);
        case OutputKind::Export: break;
    }
    return writeExport(plan, mapping, uniformColor, texture, err);
}

bool writeImportedOff(const std::string& path, const ImportedModel& model, std::optional<TextureFile> texture,
                      std::ostream& err, const std::function<bool()>& modelReads) {
    if (texture && !textureFits(path, *texture, err)) texture.reset();
    std::vector<ExportedFile> files = {{path, importedOffFile(model, texture ? texture->name : std::string())}};
    if (texture) addTextureBeside(path, *texture, files);
    return replaceAll(files, err, modelReads);
}

MappingSettings exportMappingSettings() {
    MappingSettings settings;
    settings.commonBase = options.commonBase;
    settings.commonBaseLength = mesh.commonBaseLength;
    settings.longestBaseEdge = measureLongestBaseEdge(mesh);
    settings.scale = textureRepeatScale(options.textureSize);
    return settings;
}
