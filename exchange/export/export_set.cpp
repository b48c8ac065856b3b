#include "exchange/export/export_set.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

#include "core/paths.h"
#include "exchange/export/format_writers.h"

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

void measureExport(ExportModel& model, bool bounds) {
    // Every writer reads the global mesh's stored vertices and faces.
    assert(mesh.vertexCount >= 0 && mesh.vertexCount <= mesh.vertexCapacity);
    assert(mesh.faceCount >= 0 && mesh.faceCount <= mesh.faceCapacity);
    model.cornerCount = model.triangleCount = 0;
    for (int f = 0; f < mesh.faceCount; ++f) {
        int count = isTriangle(f) ? 3 : 4;
        model.cornerCount += count;
        model.triangleCount += count - 2;
    }
    if (!bounds) return;
    std::vector<bool> used(static_cast<size_t>(mesh.vertexCount), false);
    for (int f = 0; f < mesh.faceCount; ++f) {
        int32_t corners[4];
        int count = faceCorners(f, corners);
        for (int k = 0; k < count; ++k) used[static_cast<size_t>(corners[k])] = true;
    }
    const float* axes[3] = {mesh.vertexX, mesh.vertexY, mesh.vertexZ};
    bool first = true;
    for (int v = 0; v < mesh.vertexCount; ++v) {
        if (!used[static_cast<size_t>(v)]) continue;
        for (int axis = 0; axis < 3; ++axis) {
            float x = fileCoordinate(axes[axis][v], mesh.modelScale, mesh.modelCenter[axis]);
            if (first || x < model.low[axis]) model.low[axis] = x;
            if (first || x > model.high[axis]) model.high[axis] = x;
        }
        first = false;
    }
}

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

// "OFF", the counts "V F 0", one "x y z" line per vertex in file units and
// one "n a b c [d]" line per face: the one OFF formatter's standard style.
FileSections standardOffFile() {
    return offFileSections(meshOffArrays(mesh), OffStyle::Standard);
}
