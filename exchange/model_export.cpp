#include "exchange/model_export.h"

#include <assimp/Exporter.hpp>
#include <assimp/IOStream.hpp>
#include <assimp/IOSystem.hpp>
#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>

namespace {

// The library writes through its IOSystem interface; these two thin classes
// keep every file it opens in memory, so that nothing reaches the disk before
// the whole export has succeeded.
class MemoryStream : public Assimp::IOStream {
public:
    explicit MemoryStream(std::string& target) : bytes(target) {}
    size_t Read(void*, size_t, size_t) override { return 0; }
    size_t Write(const void* data, size_t size, size_t count) override {
        size_t length = size * count;
        if (at + length > bytes.size()) bytes.resize(at + length);
        std::memcpy(bytes.data() + at, data, length);
        at += length;
        return count;
    }
    aiReturn Seek(size_t offset, aiOrigin origin) override {
        size_t base = origin == aiOrigin_SET ? 0 : origin == aiOrigin_CUR ? at : bytes.size();
        at = base + offset;
        return aiReturn_SUCCESS;
    }
    size_t Tell() const override { return at; }
    size_t FileSize() const override { return bytes.size(); }
    void Flush() override {}

private:
    std::string& bytes;
    size_t at = 0;
};

class MemoryFiles : public Assimp::IOSystem {
public:
    explicit MemoryFiles(std::map<std::string, std::string>& target) : files(target) {}
    bool Exists(const char* path) const override { return files.count(path) != 0; }
    char getOsSeparator() const override { return '/'; }
    Assimp::IOStream* Open(const char* path, const char* mode) override {
        if (std::strchr(mode, 'w') == nullptr) return nullptr;
        std::string& bytes = files[path];
        bytes.clear();
        return new MemoryStream(bytes);
    }
    void Close(Assimp::IOStream* stream) override { delete stream; }

private:
    std::map<std::string, std::string>& files;
};

std::string lowerExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

aiVector3D filePosition(int v) {
    return aiVector3D(fileCoordinate(mesh.vertexX[v], mesh.modelScale, mesh.modelCenter[0]),
                      fileCoordinate(mesh.vertexY[v], mesh.modelScale, mesh.modelCenter[1]),
                      fileCoordinate(mesh.vertexZ[v], mesh.modelScale, mesh.modelCenter[2]));
}

void setFace(aiFace& face, std::initializer_list<unsigned> corners) {
    face.mNumIndices = static_cast<unsigned>(corners.size());
    face.mIndices = new unsigned[corners.size()];
    std::copy(corners.begin(), corners.end(), face.mIndices);
}

size_t outputFaceCount(bool triangles) {
    size_t count = static_cast<size_t>(mesh.faceCount);
    if (!triangles) return count;
    for (int f = 0; f < mesh.faceCount; ++f) count += isTriangle(f) ? 0 : 1;
    return count;
}

// Corners (A, B, C, D) become faces; a quad is split along A-C when the format
// takes triangles only: the window draws a quad as the fan (B, C, A),
// (C, D, A), the same two triangles with the same winding.
void addFaces(aiFace* faces, size_t& next, bool triangles, const unsigned c[4], bool quad) {
    if (!quad) {
        setFace(faces[next++], {c[0], c[1], c[2]});
    } else if (!triangles) {
        setFace(faces[next++], {c[0], c[1], c[2], c[3]});
    } else {
        setFace(faces[next++], {c[0], c[1], c[2]});
        setFace(faces[next++], {c[0], c[2], c[3]});
    }
}

// One vertex per model vertex; no texture coordinates.
void fillSharedVertices(aiMesh* out, bool triangles) {
    out->mNumVertices = static_cast<unsigned>(mesh.vertexCount);
    out->mVertices = new aiVector3D[out->mNumVertices];
    for (int v = 0; v < mesh.vertexCount; ++v) out->mVertices[v] = filePosition(v);
    out->mNumFaces = static_cast<unsigned>(outputFaceCount(triangles));
    out->mFaces = new aiFace[out->mNumFaces];
    size_t next = 0;
    for (int f = 0; f < mesh.faceCount; ++f) {
        const unsigned c[4] = {static_cast<unsigned>(mesh.faceA[f]), static_cast<unsigned>(mesh.faceB[f]),
                               static_cast<unsigned>(mesh.faceC[f]), static_cast<unsigned>(mesh.faceD[f])};
        addFaces(out->mFaces, next, triangles, c, !isTriangle(f));
    }
}

// The face's plane normal from its first three corners, as the window lights
// it (flat); given so that exporters do not smooth the model's edges.
aiVector3D faceNormal(const int corners[4]) {
    aiVector3D a = filePosition(corners[0]);
    aiVector3D normal = (filePosition(corners[1]) - a) ^ (filePosition(corners[2]) - a);
    float length = normal.Length();
    return length > 0.0f ? normal / length : aiVector3D(0.0f, 0.0f, 1.0f);
}

// One vertex per face corner, carrying the texture point the window draws the
// corner with. The window uploads the JPEG's first row as texture row t = 0,
// so t runs down the picture; the library's texture coordinates follow the
// OpenGL file convention (v = 0 at the picture's bottom row, as OBJ has it,
// and its glTF writer turns v back into glTF's downward axis), hence
// v = 1 - t. The texture repeats, so the shift by 1 changes nothing drawn.
void fillCornerVertices(aiMesh* out, bool triangles, const MappingSettings& mapping) {
    size_t cornerCount = 0;
    for (int f = 0; f < mesh.faceCount; ++f) cornerCount += isTriangle(f) ? 3 : 4;
    out->mNumVertices = static_cast<unsigned>(cornerCount);
    out->mVertices = new aiVector3D[cornerCount];
    out->mNormals = new aiVector3D[cornerCount];
    out->mTextureCoords[0] = new aiVector3D[cornerCount];
    out->mNumUVComponents[0] = 2;
    out->mNumFaces = static_cast<unsigned>(outputFaceCount(triangles));
    out->mFaces = new aiFace[out->mNumFaces];
    size_t next = 0;
    unsigned corner = 0;
    for (int f = 0; f < mesh.faceCount; ++f) {
        TexturePoint points[4];
        int count = faceTextureCoordinates(f, mapping, points);
        const int corners[4] = {mesh.faceA[f], mesh.faceB[f], mesh.faceC[f], mesh.faceD[f]};
        const unsigned c[4] = {corner, corner + 1, corner + 2, corner + 3};
        aiVector3D normal = faceNormal(corners);
        for (int k = 0; k < count; ++k, ++corner) {
            out->mVertices[corner] = filePosition(corners[k]);
            out->mNormals[corner] = normal;
            out->mTextureCoords[0][corner] = aiVector3D(points[k].s, 1.0f - points[k].t, 0.0f);
        }
        addFaces(out->mFaces, next, triangles, c, count == 4);
    }
}

aiMaterial* buildMaterial(long uniformColor, const TextureFile* texture, bool embedded) {
    auto* material = new aiMaterial;
    aiString name("kestrune");
    material->AddProperty(&name, AI_MATKEY_NAME);
    // The uniform colour 0x00BBGGRR stands for the picture when there is none.
    aiColor3D colour(1.0f, 1.0f, 1.0f);
    if (texture == nullptr) {
        colour = aiColor3D(static_cast<float>(uniformColor & 0xFF) / 255.0f,
                           static_cast<float>((uniformColor >> 8) & 0xFF) / 255.0f,
                           static_cast<float>((uniformColor >> 16) & 0xFF) / 255.0f);
    }
    material->AddProperty(&colour, 1, AI_MATKEY_COLOR_DIFFUSE);
    if (texture != nullptr) {
        aiString reference(embedded ? std::string("*0") : texture->name);
        material->AddProperty(&reference, AI_MATKEY_TEXTURE_DIFFUSE(0));
    }
    return material;
}

aiTexture* embeddedTexture(const TextureFile& texture) {
    auto* embedded = new aiTexture;
    embedded->mWidth = static_cast<unsigned>(texture.bytes.size());
    embedded->mHeight = 0;
    embedded->pcData = new aiTexel[(texture.bytes.size() + sizeof(aiTexel) - 1) / sizeof(aiTexel)];
    std::memcpy(embedded->pcData, texture.bytes.data(), texture.bytes.size());
    std::strcpy(embedded->achFormatHint, "jpg");
    embedded->mFilename = aiString(texture.name);
    return embedded;
}

std::unique_ptr<aiScene> buildScene(const ExportFormat& format, const MappingSettings& mapping, long uniformColor,
                                    const TextureFile* texture) {
    auto scene = std::make_unique<aiScene>();
    auto* out = new aiMesh;
    out->mName = aiString("kestrune");
    out->mMaterialIndex = 0;
    out->mPrimitiveTypes = format.triangles ? aiPrimitiveType_TRIANGLE
                                            : aiPrimitiveType_TRIANGLE | aiPrimitiveType_POLYGON;
    if (format.cornerTextures) {
        fillCornerVertices(out, format.triangles, mapping);
    } else {
        fillSharedVertices(out, format.triangles);
    }
    scene->mNumMeshes = 1;
    scene->mMeshes = new aiMesh*[1]{out};
    bool embedded = texture != nullptr && format.embedsTexture;
    if (!format.cornerTextures) texture = nullptr;
    scene->mNumMaterials = 1;
    scene->mMaterials = new aiMaterial*[1]{buildMaterial(uniformColor, texture, embedded)};
    if (texture != nullptr && embedded) {
        scene->mNumTextures = 1;
        scene->mTextures = new aiTexture*[1]{embeddedTexture(*texture)};
    }
    scene->mRootNode = new aiNode("kestrune");
    scene->mRootNode->mNumMeshes = 1;
    scene->mRootNode->mMeshes = new unsigned[1]{0};
    return scene;
}

std::string shortestFloat(float value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

}  // namespace

bool exportFormatFor(const std::string& path, bool ascii, ExportFormat& format, std::string& problem) {
    std::string extension = lowerExtension(path);
    if (extension == "obj") format = {"obj", false, true, false};
    else if (extension == "ply") format = {ascii ? "ply" : "plyb", false, false, false};
    else if (extension == "stl") format = {ascii ? "stl" : "stlb", true, false, false};
    else if (extension == "gltf") format = {"gltf2", true, true, false};
    else if (extension == "glb") format = {"glb2", true, true, true};
    else {
        Assimp::Exporter exporter;
        for (size_t k = 0; k < exporter.GetExportFormatCount(); ++k) {
            const aiExportFormatDesc* description = exporter.GetExportFormatDescription(k);
            if (!extension.empty() && extension == description->fileExtension) {
                format = {description->id, false, true, false};
                return true;
            }
        }
        problem = extension.empty() ? "pas d'extension pour choisir le format"
                                    : "la bibliothèque Assimp n'écrit pas le format « ." + extension + " »";
        return false;
    }
    return true;
}

bool exportToMemory(const std::string& path, const ExportFormat& format, const MappingSettings& mapping,
                    long uniformColor, const TextureFile* texture, std::vector<ExportedFile>& files,
                    std::string& problem) {
    if (!meshIsConsistent(mesh) || 4 * static_cast<uint64_t>(mesh.faceCount) > UINT32_MAX) {
        problem = "modèle impossible à exporter";
        return false;
    }
    std::unique_ptr<aiScene> scene = buildScene(format, mapping, uniformColor, texture);
    std::map<std::string, std::string> written;
    Assimp::Exporter exporter;
    exporter.SetIOHandler(new MemoryFiles(written));  // the exporter owns and deletes it
    if (exporter.Export(scene.get(), format.libraryId, path) != aiReturn_SUCCESS) {
        problem = exporter.GetErrorString();
        return false;
    }
    auto main = written.find(path);
    if (main == written.end()) {
        problem = "la bibliothèque n'a rien écrit";
        return false;
    }
    files.clear();
    for (auto& [name, bytes] : written) {
        if (name != path) files.push_back({name, std::move(bytes)});
    }
    files.push_back({path, std::move(main->second)});
    return true;
}

std::string formatStandardOff(const Mesh& m) {
    std::string text = "OFF\n" + std::to_string(m.vertexCount) + " " + std::to_string(m.faceCount) + " 0\n";
    const float* axes[3] = {m.vertexX, m.vertexY, m.vertexZ};
    for (int v = 0; v < m.vertexCount; ++v) {
        for (int axis = 0; axis < 3; ++axis) {
            text += shortestFloat(fileCoordinate(axes[axis][v], m.modelScale, m.modelCenter[axis]));
            text += axis < 2 ? ' ' : '\n';
        }
    }
    for (int f = 0; f < m.faceCount; ++f) {
        bool triangle = m.faceD[f] < 0;
        text += triangle ? "3" : "4";
        const int32_t corners[4] = {m.faceA[f], m.faceB[f], m.faceC[f], m.faceD[f]};
        for (int k = 0; k < (triangle ? 3 : 4); ++k) {
            text += ' ';
            text += std::to_string(corners[k]);
        }
        text += '\n';
    }
    return text;
}
