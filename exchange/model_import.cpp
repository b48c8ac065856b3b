#include "exchange/model_import.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <utility>
#include <vector>

#include "mesh/off_writer.h"
#include "exchange/confined_io.h"
#include "exchange/confined_path.h"
#include "exchange/polygon_split.h"

namespace {

// The scene flattened into one polygon list: positions in file units and
// four corners per face (-1 as the fourth of a triangle).
struct MergedScene {
    std::vector<float> positions;  // x y z per vertex
    std::vector<int32_t> corners;  // a b c d per face
    size_t droppedPoints = 0;
    size_t droppedLines = 0;
    const aiMesh* firstMesh = nullptr;
};

// Position key: the bits of the three floats, with -0 taken as +0 so that
// positions that compare equal join.
using PositionKey = std::array<uint32_t, 3>;

PositionKey keyOf(const aiVector3D& p) {
    PositionKey key;
    const float values[3] = {p.x + 0.0f, p.y + 0.0f, p.z + 0.0f};
    for (int k = 0; k < 3; ++k) std::memcpy(&key[k], &values[k], sizeof(float));
    return key;
}

size_t hashOf(const PositionKey& key) {
    uint64_t h = key[0];
    h = h * 0x9E3779B97F4A7C15ull ^ key[1];
    h = h * 0x9E3779B97F4A7C15ull ^ key[2];
    h *= 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h ^ (h >> 32));
}

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

// Faces taken so far and an open-addressing table of the positions met:
// each slot holds a joined vertex number, or -1 when free. Sized for every
// vertex of the scene at half load, so that it never fills.
struct Merger {
    MergedScene merged;
    std::vector<PositionKey> keys;  // per joined vertex
    std::vector<int32_t> slots;
};

void sizeTable(Merger& merger, size_t vertexTotal) {
    size_t size = 16;
    while (size < 2 * vertexTotal) size *= 2;
    merger.slots.assign(size, -1);
}

// The joined number of a position, added when new.
int32_t joinedVertex(Merger& merger, const aiVector3D& p) {
    PositionKey key = keyOf(p);
    size_t mask = merger.slots.size() - 1;
    for (size_t at = hashOf(key) & mask;; at = (at + 1) & mask) {
        int32_t v = merger.slots[at];
        if (v < 0) {
            v = static_cast<int32_t>(merger.keys.size());
            merger.slots[at] = v;
            merger.keys.push_back(key);
            merger.merged.positions.insert(merger.merged.positions.end(), {p.x, p.y, p.z});
            return v;
        }
        if (merger.keys[static_cast<size_t>(v)] == key) return v;
    }
}

void addFace(MergedScene& merged, const aiFace& face, const std::vector<int32_t>& joined) {
    const unsigned n = face.mNumIndices;
    auto corner = [&](unsigned k) { return joined[face.mIndices[k]]; };
    if (n == 1) ++merged.droppedPoints;
    if (n == 2) ++merged.droppedLines;
    if (n == 3 || n == 4) {
        merged.corners.insert(merged.corners.end(), {corner(0), corner(1), corner(2), n == 4 ? corner(3) : -1});
    }
    if (n < 5) return;
    // Larger polygons: cut into triangles that stay inside them.
    std::vector<PolygonPoint> points(n);
    for (unsigned k = 0; k < n; ++k) {
        const float* p = &merged.positions[3 * static_cast<size_t>(corner(k))];
        points[k] = PolygonPoint{p[0], p[1], p[2]};
    }
    for (const std::array<unsigned, 3>& t : splitPolygon(points)) {
        merged.corners.insert(merged.corners.end(), {corner(t[0]), corner(t[1]), corner(t[2]), -1});
    }
}

// Adds one placed mesh; false with `problem` set on bad data.
bool addPlacedMesh(Merger& merger, const aiMesh* source, const aiMatrix4x4& transform, std::string& problem) {
    std::vector<int32_t> joined(source->mNumVertices);
    for (unsigned v = 0; v < source->mNumVertices; ++v) {
        aiVector3D p = transform * source->mVertices[v];
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
            problem = "coordonnée infinie ou indéfinie";
            return false;
        }
        joined[v] = joinedVertex(merger, p);
    }
    for (unsigned f = 0; f < source->mNumFaces; ++f) {
        const aiFace& face = source->mFaces[f];
        for (unsigned k = 0; k < face.mNumIndices; ++k) {
            if (face.mIndices[k] >= source->mNumVertices) {
                problem = "une face nomme un sommet qui n'existe pas";
                return false;
            }
        }
        addFace(merger.merged, face, joined);
    }
    return true;
}

// Leaves out the vertices no face uses, keeping the others in order.
void dropUnusedVertices(MergedScene& merged) {
    size_t count = merged.positions.size() / 3;
    std::vector<int32_t> renumbered(count, -1);
    for (int32_t v : merged.corners) {
        if (v >= 0) renumbered[static_cast<size_t>(v)] = 0;
    }
    int32_t next = 0;
    for (size_t v = 0; v < count; ++v) {
        if (renumbered[v] < 0) continue;
        renumbered[v] = next;
        for (int k = 0; k < 3; ++k) merged.positions[3 * static_cast<size_t>(next) + k] = merged.positions[3 * v + k];
        ++next;
    }
    merged.positions.resize(3 * static_cast<size_t>(next));
    for (int32_t& v : merged.corners) {
        if (v >= 0) v = renumbered[static_cast<size_t>(v)];
    }
}

// The OFF text as "Sauver" lays it out: coordinates as "%15.8g".
std::string formatMergedOff(const MergedScene& merged) {
    size_t vertexCount = merged.positions.size() / 3;
    size_t faceCount = merged.corners.size() / 4;
    std::string text = "OFF  \n " + std::to_string(vertexCount) + "  " + std::to_string(faceCount) + "\n";
    text.reserve(text.size() + vertexCount * 49 + faceCount * 48);
    char field[16];
    for (size_t v = 0; v < vertexCount; ++v) {
        for (int k = 0; k < 3; ++k) {
            text += ' ';
            text.append(field, static_cast<size_t>(
                                   formatCoordinateField(static_cast<double>(merged.positions[3 * v + k]), field)));
        }
        text += '\n';
    }
    for (size_t f = 0; f < faceCount; ++f) {
        const int32_t* c = &merged.corners[4 * f];
        text += c[3] < 0 ? " 3" : " 4";
        for (int k = 0; k < (c[3] < 0 ? 3 : 4); ++k) {
            text += ' ';
            text += std::to_string(c[k]);
        }
        text += '\n';
    }
    return text;
}

// The diffuse picture of the first mesh's material, embedded in the file or
// found in the model's folder.
std::optional<TextureFile> findTexture(const aiScene* scene, const MergedScene& merged, const std::string& folder,
                                       std::string& problem) {
    const aiMesh* first = merged.firstMesh;
    if (first == nullptr || first->mMaterialIndex >= scene->mNumMaterials) {
        problem = "pas de matériau";
        return std::nullopt;
    }
    aiString reference;
    if (scene->mMaterials[first->mMaterialIndex]->GetTexture(aiTextureType_DIFFUSE, 0, &reference) != AI_SUCCESS) {
        problem = "le premier matériau n'a pas de texture diffuse";
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
    for (char& c : name) {
        if (c == '\\') c = '/';
    }
    std::string location = !name.empty() && name[0] == '/' ? name : folder + "/" + name;
    if (folder.empty() || !readTextureInFolder(folder, location, texture, problem)) {
        if (folder.empty()) problem = "« " + name + " » n'est pas lu";
        return std::nullopt;
    }
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

}  // namespace

namespace {

// The scene's faces and texture; `name` names the file in messages.
bool convertScene(const aiScene* scene, const std::string& folder, const std::string& name, MergedScene& merged,
                  ImportedModel& model, std::string& failure) {
    const std::string prefix = "« " + name + " » : ";
    const std::string empty = prefix + "scène vide : aucune face à trois sommets ou plus";
    if (scene->mRootNode == nullptr || scene->mNumMeshes == 0 || scene->mMeshes == nullptr) {
        failure = empty;
        return false;
    }
    Merger merger;
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
    sizeTable(merger, vertexTotal);
    for (const auto& [meshIndex, transform] : instances) {
        const aiMesh* source = scene->mMeshes[meshIndex];
        if (source == nullptr) continue;
        if (merger.merged.firstMesh == nullptr) merger.merged.firstMesh = source;
        if (!addPlacedMesh(merger, source, transform, problem)) {
            failure = prefix + problem;
            return false;
        }
    }
    if (merger.merged.droppedPoints + merger.merged.droppedLines > 0) {
        model.notes += prefix + countText(merger.merged.droppedPoints, "point ignoré", "points ignorés") + ", " +
                       countText(merger.merged.droppedLines, "segment ignoré", "segments ignorés") + "\n";
    }
    if (merger.merged.corners.empty()) {
        failure = empty;
        return false;
    }
    if (merger.merged.corners.size() / 4 > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        failure = prefix + "trop de faces pour un fichier OFF";
        return false;
    }
    merged = std::move(merger.merged);
    merger = Merger();
    dropUnusedVertices(merged);
    model.texture = findTexture(scene, merged, folder, problem);
    if (!model.texture) model.notes += prefix + "modèle sans texture : " + problem + "\n";
    model.hadTextureCoordinates = hasTextureCoordinates(scene);
    if (model.hadTextureCoordinates) {
        model.notes += prefix + "les coordonnées de texture du fichier sont remplacées par le placage par face "
                                "de Kestrune\n";
    }
    return true;
}

// Reads with the given file access; no post-processing: positions are
// joined across meshes, and triangulating would split the quads too.
bool readScene(Assimp::Importer& importer, ConfinedFiles* files, const std::string& path, const std::string& name,
               const std::string* bytes, const std::string& folder, ImportedModel& model, std::string& failure) {
    importer.SetIOHandler(files);  // the importer owns and deletes it
    const aiScene* scene = bytes == nullptr ? importer.ReadFile(path, 0)
                                            : importer.ReadFileFromMemory(bytes->data(), bytes->size(), 0,
                                                                          name.substr(name.rfind('.') + 1).c_str());
    if (scene == nullptr) {
        std::string why = importer.GetErrorString();
        if (why.find("bad_alloc") != std::string::npos) throw std::bad_alloc();
        failure = "« " + name + " » : lecture impossible : " + why;
        if (!files->lastRefusal().empty()) failure += " (" + files->lastRefusal() + ")";
        return false;
    }
    MergedScene merged;
    if (!convertScene(scene, folder, name, merged, model, failure)) return false;
    // The scene is no longer needed: its memory goes before the text's.
    importer.FreeScene();
    model.offText = formatMergedOff(merged);
    return true;
}

}  // namespace

bool importModel(const std::string& path, ImportedModel& model, std::string& failure) {
    std::string folder = modelFolder(path, failure);
    if (folder.empty()) return false;
    Assimp::Importer importer;
    return readScene(importer, new ConfinedFiles(folder), path, path, nullptr, folder, model, failure);
}

bool importModelFromMemory(const std::string& bytes, const std::string& name, ImportedModel& model,
                           std::string& failure) {
    Assimp::Importer importer;
    return readScene(importer, new ConfinedFiles(std::string()), name, name, &bytes, std::string(), model, failure);
}
