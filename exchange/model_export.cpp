#include "exchange/model_export.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>

#include "core/paths.h"
#include "exchange/model_writers.h"

namespace {

std::string besidePath(const std::string& path, const char* extension) {
    return std::filesystem::path(path).replace_extension(extension).string();
}

// GLB sizes are 32-bit: the buffer and a JSON text of a few kilobytes.
bool fitsGlb(const ExportModel& model) {
    int64_t picture = model.texture != nullptr ? static_cast<int64_t>(model.texture->bytes.size()) : 0;
    return 44 * model.cornerCount + 12 * model.triangleCount + picture + (int64_t{1} << 16) <= int64_t{UINT32_MAX};
}

}  // namespace

CornerStarts cornerStarts() {
    size_t faces = static_cast<size_t>(std::max(mesh.faceCount, 0));
    CornerStarts starts{std::vector<int64_t>((faces + 255) / 256), std::vector<uint8_t>(faces)};
    int64_t corner = 0;
    uint8_t quads = 0;
    for (int f = 0; f < mesh.faceCount; ++f) {
        if ((f & 255) == 0) {
            starts.first[static_cast<size_t>(f >> 8)] = corner;
            quads = 0;
        }
        starts.quadsBefore[static_cast<size_t>(f)] = quads;
        bool quad = !isTriangle(f);
        quads = static_cast<uint8_t>(quads + (quad ? 1 : 0));
        corner += quad ? 4 : 3;
    }
    return starts;
}

bool exportFormatFor(const std::string& path, bool ascii, ExportFormat& format, std::string& problem) {
    std::string extension = lowerExtensionOf(path);
    if (extension == "obj") format = {ExportKind::Obj, false, false, true, false};
    else if (extension == "ply") format = {ExportKind::Ply, ascii, false, false, false};
    else if (extension == "stl") format = {ExportKind::Stl, ascii, true, false, false};
    else if (extension == "gltf") format = {ExportKind::Gltf, false, true, true, false};
    else if (extension == "glb") format = {ExportKind::Glb, false, true, true, true};
    else {
        std::string named = extension.empty() ? "pas d'extension pour choisir le format de sortie"
                                               : "format de sortie inconnu « ." + extension + " »";
        problem = named + " : les formats écrits sont " + writtenFormats;
        return false;
    }
    return true;
}

bool exportFiles(const std::string& path, const ExportFormat& format, const MappingSettings& mapping,
                 long uniformColor, const TextureFile* texture, std::vector<ExportedFile>& files,
                 std::string& problem) {
    if (!meshIsConsistent(mesh) || 4 * static_cast<uint64_t>(mesh.faceCount) > UINT32_MAX) {
        problem = "modèle impossible à exporter";
        return false;
    }
    ExportModel model;
    model.mapping = mapping;
    model.uniformColor = uniformColor;
    model.texture = format.cornerTextures ? texture : nullptr;
    bool gltf = format.kind == ExportKind::Gltf || format.kind == ExportKind::Glb;
    measureExport(model, gltf);
    if (gltf && model.cornerCount == 0) {
        problem = "un modèle sans face ne s'écrit pas en glTF";
        return false;
    }
    auto finite = [](float x) { return std::isfinite(x); };
    if (gltf && !(std::all_of(model.low, model.low + 3, finite) && std::all_of(model.high, model.high + 3, finite))) {
        problem = "coordonnées non finies";
        return false;
    }
    if (format.kind == ExportKind::Glb && !fitsGlb(model)) {
        problem = "modèle trop grand pour un fichier GLB (plus de 4 Gio)";
        return false;
    }
    files.clear();
    switch (format.kind) {
        case ExportKind::Obj:
            model.companion = std::filesystem::path(besidePath(path, ".mtl")).filename().string();
            files.push_back({besidePath(path, ".mtl"), mtlSections(model)});
            files.push_back({path, objSections(model)});
            break;
        case ExportKind::Ply: files.push_back({path, plySections(format.ascii)}); break;
        case ExportKind::Stl: files.push_back({path, stlSections(format.ascii, model)}); break;
        case ExportKind::Gltf:
            model.companion = std::filesystem::path(besidePath(path, ".bin")).filename().string();
            files.push_back({besidePath(path, ".bin"), gltfBufferSections(model)});
            files.push_back({path, {bytesSection(gltfJson(model))}});
            break;
        case ExportKind::Glb: files.push_back({path, glbSections(model)}); break;
    }
    return true;
}

FileSections standardOffFile() {
    return standardOffSections();
}
