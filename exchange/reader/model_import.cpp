#include "exchange/reader/model_import.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#include "exchange/reader/confined_io.h"
#include "exchange/scene/confined_path.h"
#include "exchange/reader/fast_import.h"
#include "exchange/reader/scene_merge.h"

namespace {

// Nodes may share children, so a small file can describe an enormous tree:
// the walk stops past these counts instead of expanding every placement.
constexpr size_t placementLimit = 100000;
constexpr size_t nodeVisitLimit = 1000000;

// Every (mesh, transform) pair of the node tree, parents before children;
// walked with an explicit stack so that a deep hierarchy cannot overflow.
// False when the tree places meshes more often than the limits allow.
bool meshInstances(const aiScene* scene, const aiMatrix4x4& root,
                   std::vector<std::pair<unsigned, aiMatrix4x4>>& instances) {
    std::vector<std::pair<const aiNode*, aiMatrix4x4>> pending{{scene->mRootNode, root}};
    size_t visits = 0;
    while (!pending.empty()) {
        auto [node, parent] = pending.back();
        pending.pop_back();
        if (++visits > nodeVisitLimit) return false;
        aiMatrix4x4 transform = parent * node->mTransformation;
        for (unsigned k = 0; k < node->mNumMeshes; ++k) {
            if (node->mMeshes[k] >= scene->mNumMeshes) continue;
            if (instances.size() == placementLimit) return false;
            instances.emplace_back(node->mMeshes[k], transform);
        }
        for (unsigned k = node->mNumChildren; k-- > 0;) {
            if (node->mChildren[k] != nullptr) pending.emplace_back(node->mChildren[k], transform);
        }
    }
    return true;
}

// The file's own unit as a scale to metres, applied above the root node. The
// FBX reader reports "UnitScaleFactor" in centimetres per file unit (Blender
// writes 1 and its geometry in centimetres).
aiMatrix4x4 unitScale(const aiScene* scene) {
    aiMatrix4x4 scale;
    if (scene->mMetaData == nullptr) return scale;
    double factor = 0.0;
    float single = 0.0f;
    if (scene->mMetaData->Get("UnitScaleFactor", factor)) {
    } else if (scene->mMetaData->Get("UnitScaleFactor", single)) {
        factor = single;
    }
    if (!std::isfinite(factor) || factor <= 0.0 || factor == 100.0) return scale;
    aiMatrix4x4::Scaling(aiVector3D(static_cast<float>(factor / 100.0)), scale);
    return scale;
}

// Adds one placed mesh; false with `problem` set on bad data.
bool addPlacedMesh(SceneMerger& merger, const aiMesh* source, const aiMatrix4x4& transform, std::string& problem) {
    std::vector<int32_t> joined(source->mNumVertices);
    std::vector<int32_t> corners;
    for (unsigned v = 0; v < source->mNumVertices; ++v) {
        aiVector3D p = transform * source->mVertices[v];
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
            problem = "coordonnée infinie ou indéfinie";
            return false;
        }
        joined[v] = joinVertex(merger, p.x, p.y, p.z);
    }
    for (unsigned f = 0; f < source->mNumFaces; ++f) {
        const aiFace& face = source->mFaces[f];
        for (unsigned k = 0; k < face.mNumIndices; ++k) {
            if (face.mIndices[k] >= source->mNumVertices) {
                problem = "une face nomme un sommet qui n'existe pas";
                return false;
            }
        }
        corners.resize(face.mNumIndices);
        for (unsigned k = 0; k < face.mNumIndices; ++k) corners[k] = joined[face.mIndices[k]];
        addPolygon(merger.merged, corners.data(), corners.size());
    }
    return true;
}

// The diffuse picture of the first mesh's material, embedded in the file or
// found in the model's folder.
std::optional<TextureFile> findTexture(const aiScene* scene, const aiMesh* first, const std::string& folder,
                                       std::string& problem) {
    if (first == nullptr || first->mMaterialIndex >= scene->mNumMaterials) {
        problem = noMaterial;
        return std::nullopt;
    }
    aiString reference;
    if (scene->mMaterials[first->mMaterialIndex]->GetTexture(aiTextureType_DIFFUSE, 0, &reference) != AI_SUCCESS) {
        problem = noDiffuseTexture;
        return std::nullopt;
    }
    std::string name = reference.C_Str();
    TextureFile texture;
    if (const aiTexture* embedded = scene->GetEmbeddedTexture(reference.C_Str())) {
        if (embedded->mHeight != 0 || embedded->pcData == nullptr) {
            problem = "la texture incluse n'est pas une image JPEG";
            return std::nullopt;
        }
        texture.bytes.assign(reinterpret_cast<const char*>(embedded->pcData), embedded->mWidth);
        problem = textureProblem(texture.bytes);
        if (!problem.empty()) return std::nullopt;
        // The name is chosen when the picture is written beside the output.
        return texture;
    }
    if (!readModelTexture(folder, name, texture, problem)) return std::nullopt;
    return texture;
}

bool hasTextureCoordinates(const aiScene* scene) {
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* source = scene->mMeshes[m];
        if (source != nullptr && source->mNumVertices > 0 && source->mTextureCoords[0] != nullptr) return true;
    }
    return false;
}

std::string countText(size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// Checks the merged faces and hands them to the model, with what was left
// out in its notes.
bool finishScene(MergedScene& merged, const std::string& prefix, ImportedModel& model, std::string& failure) {
    if (merged.droppedPoints + merged.droppedLines > 0) {
        model.notes += prefix + countText(merged.droppedPoints, "point ignoré", "points ignorés") + ", " +
                       countText(merged.droppedLines, "segment ignoré", "segments ignorés") + "\n";
    }
    if (merged.droppedCollapsed > 0) {
        model.notes += prefix +
                       countText(merged.droppedCollapsed, "face réduite à un sommet ignorée",
                                 "faces réduites à un sommet ignorées") +
                       "\n";
    }
    if (merged.corners.empty()) {
        failure = prefix + "scène vide : aucune face à trois sommets ou plus";
        return false;
    }
    if (merged.corners.size() / 4 > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        failure = prefix + "trop de faces pour un fichier OFF";
        return false;
    }
    dropUnusedVertices(merged);
    model.positions = std::move(merged.positions);
    model.corners = std::move(merged.corners);
    return true;
}

// Says why the model has no texture, and that its own texture coordinates
// give way to the per-face mapping.
void noteTexture(const std::string& prefix, const std::string& problem, bool hadTextureCoordinates,
                 ImportedModel& model) {
    // A texture the file names but that cannot be used is worth telling; a
    // file that names none only gets a quiet line.
    bool named = problem != noMaterial && problem != noDiffuseTexture;
    if (!model.texture) (named ? model.notes : model.quietNotes) += prefix + "modèle sans texture : " + problem + "\n";
    model.hadTextureCoordinates = hadTextureCoordinates;
    if (hadTextureCoordinates) {
        model.notes += prefix + "les coordonnées de texture du fichier sont remplacées par le placage par face "
                                "de Kestrune\n";
    }
}

// The scene's faces and texture; `name` names the file in messages.
bool convertScene(const aiScene* scene, const std::string& folder, const std::string& name, ImportedModel& model,
                  std::string& failure) {
    const std::string prefix = "« " + name + " » : ";
    const std::string empty = prefix + "scène vide : aucune face à trois sommets ou plus";
    if (scene->mRootNode == nullptr || scene->mNumMeshes == 0 || scene->mMeshes == nullptr) {
        failure = empty;
        return false;
    }
    SceneMerger merger;
    MergedScene& merged = merger.merged;
    const aiMesh* firstMesh = nullptr;
    std::string problem;
    std::vector<std::pair<unsigned, aiMatrix4x4>> instances;
    if (!meshInstances(scene, unitScale(scene), instances)) {
        failure = prefix + "la scène place ses maillages plus de " + std::to_string(placementLimit) +
                  " fois : refusée";
        return false;
    }
    size_t vertexTotal = 0;
    for (const auto& instance : instances) {
        if (scene->mMeshes[instance.first] != nullptr) vertexTotal += scene->mMeshes[instance.first]->mNumVertices;
    }
    if (vertexTotal > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        failure = prefix + "trop de sommets pour un fichier OFF";
        return false;
    }
    startMerging(merger, vertexTotal);
    for (const auto& [meshIndex, transform] : instances) {
        const aiMesh* source = scene->mMeshes[meshIndex];
        if (source == nullptr) continue;
        if (firstMesh == nullptr) firstMesh = source;
        if (!addPlacedMesh(merger, source, transform, problem)) {
            failure = prefix + problem;
            return false;
        }
    }
    merger.keys = {};
    merger.slots = {};
    if (!finishScene(merged, prefix, model, failure)) return false;
    model.texture = findTexture(scene, firstMesh, folder, problem);
    noteTexture(prefix, problem, hasTextureCoordinates(scene), model);
    return true;
}

// The library catches what its readers throw, memory running out included,
// and keeps it beside its message: a real shortage of memory is told by the
// exception's type, never by a message, which may quote the file.
void rethrowMemoryShortage(const std::exception_ptr& thrown) {
    if (!thrown) return;
    try {
        std::rethrow_exception(thrown);
    } catch (const std::bad_alloc&) {
        throw;
    } catch (...) {
    }
}

// Reads with the given file access; no post-processing: positions are
// joined across meshes, and triangulating would split the quads too.
bool readScene(Assimp::Importer& importer, ConfinedFiles* files, const std::string& path, const std::string& name,
               const std::string* bytes, const std::string& folder, ImportedModel& model, std::string& failure) {
    importer.SetIOHandler(files);  // the importer owns and deletes it
    const aiScene* scene = nullptr;
    std::string why;
    try {
        scene = bytes == nullptr ? importer.ReadFile(path, 0)
                                 : importer.ReadFileFromMemory(bytes->data(), bytes->size(), 0,
                                                               name.substr(name.rfind('.') + 1).c_str());
    } catch (const std::bad_alloc&) {
        throw;
    } catch (const std::exception& error) {
        // The library's readers throw on a damaged file; most of their
        // errors are caught inside ReadFile, but not those raised while it
        // picks a reader or prepares the scene it read.
        why = error.what();
    }
    if (scene == nullptr) {
        rethrowMemoryShortage(importer.GetException());
        if (why.empty()) why = importer.GetErrorString();
        failure = "« " + name + " » : lecture impossible : " + why;
        if (!files->lastRefusal().empty()) failure += " (" + files->lastRefusal() + ")";
        return false;
    }
    return convertScene(scene, folder, name, model, failure);
}

}  // namespace

bool importModel(const std::string& path, ImportedModel& model, std::string& failure, bool libraryOnly) {
    std::string folder = modelFolder(path, failure);
    if (folder.empty()) return false;
    MergedScene merged;
    std::string textureProblem;
    ImportedModel found;
    if (!libraryOnly && importFast(path, folder, merged, found, textureProblem) == FastImport::Read) {
        // The texture and its flag are the model's only once the faces are
        // taken, as on the library's path.
        const std::string prefix = "« " + path + " » : ";
        if (!finishScene(merged, prefix, model, failure)) return false;
        model.texture = std::move(found.texture);
        noteTexture(prefix, textureProblem, found.hadTextureCoordinates, model);
        return true;
    }
    Assimp::Importer importer;
    return readScene(importer, new ConfinedFiles(folder, path), path, path, nullptr, folder, model, failure);
}

bool importModelFromMemory(const std::string& bytes, const std::string& name, ImportedModel& model,
                           std::string& failure) {
    Assimp::Importer importer;
    return readScene(importer, new ConfinedFiles(std::string()), name, name, &bytes, std::string(), model, failure);
}
