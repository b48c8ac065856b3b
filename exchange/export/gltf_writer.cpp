// glTF 2.0: the JSON text and its binary buffer, apart (.gltf + .bin) or in
// one GLB file with the picture inside.
//
// The JSON is written by hand: it is a fixed tree of about thirty values,
// while the buffer, megabytes long, is streamed from the mesh; a JSON library
// would hold the whole document for nothing and take the binary parts as
// arrays or base64 text.
#include <cassert>
#include <cctype>
#include <charconv>
#include <cmath>
#include <memory>
#include <vector>

#include "exchange/export/format_writers.h"

namespace {

// Where each part of the buffer starts: per-corner positions, normals and
// texture points, the triangles' corner indices, then (GLB) the picture.
struct BufferLayout {
    int64_t positions = 0, normals = 0, points = 0, indices = 0, picture = 0, end = 0;
};

int64_t paddedTo4(int64_t size) {
    return (size + 3) / 4 * 4;
}

BufferLayout layoutOf(const ExportModel& model, bool embedded) {
    BufferLayout layout;
    layout.normals = layout.positions + 12 * model.cornerCount;
    layout.points = layout.normals + 12 * model.cornerCount;
    layout.indices = layout.points + 8 * model.cornerCount;
    layout.picture = layout.indices + 12 * model.triangleCount;
    layout.end = layout.picture;
    if (embedded && model.texture != nullptr) layout.end += paddedTo4(static_cast<int64_t>(model.texture->bytes.size()));
    return layout;
}

std::string number(float value) {
    char text[16];
    return std::string(text, appendFloat(text, value));
}

std::string numbers(const float* values, int count) {
    std::string text = "[";
    for (int k = 0; k < count; ++k) {
        if (k > 0) text += ',';
        text += number(values[k]);
    }
    return text + "]";
}

// A file name as a URI reference: everything but the unreserved characters
// percent-encoded, which also leaves nothing to escape in the JSON string.
std::string uriOf(const std::string& name) {
    static const char hex[] = "0123456789ABCDEF";
    std::string uri;
    for (unsigned char c : name) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 15];
        }
    }
    return uri;
}

std::string view(int64_t offset, int64_t length, const char* target) {
    return "{\"buffer\":0,\"byteOffset\":" + std::to_string(offset) + ",\"byteLength\":" + std::to_string(length) +
           target + "}";
}

std::string accessor(int bufferView, int componentType, int64_t count, const char* type) {
    return "{\"bufferView\":" + std::to_string(bufferView) + ",\"byteOffset\":0,\"componentType\":" +
           std::to_string(componentType) + ",\"count\":" + std::to_string(count) + ",\"type\":\"" + type + "\"";
}

// The uniform colour 0x00BBGGRR stands for the picture when there is none.
std::string material(const ExportModel& model) {
    std::string pbr;
    if (model.texture != nullptr) {
        pbr = "\"baseColorTexture\":{\"index\":0}";
    } else {
        float colour[4] = {static_cast<float>(model.uniformColor & 0xFF) / 255.0f,
                           static_cast<float>((model.uniformColor >> 8) & 0xFF) / 255.0f,
                           static_cast<float>((model.uniformColor >> 16) & 0xFF) / 255.0f, 1.0f};
        pbr = "\"baseColorFactor\":" + numbers(colour, 4);
    }
    return "\"materials\":[{\"name\":\"kestrune\",\"pbrMetallicRoughness\":{" + pbr + ",\"metallicFactor\":0.0}}],";
}

std::string json(const ExportModel& model, bool embedded) {
    BufferLayout layout = layoutOf(model, embedded);
    const char* vertexTarget = ",\"target\":34962";
    std::string text = "{\"asset\":{\"version\":\"2.0\",\"generator\":\"Kestrune\"},\"accessors\":[" +
                       accessor(0, 5126, model.cornerCount, "VEC3") + ",\"max\":" + numbers(model.high, 3) +
                       ",\"min\":" + numbers(model.low, 3) + "}," + accessor(1, 5126, model.cornerCount, "VEC3") +
                       "}," + accessor(2, 5126, model.cornerCount, "VEC2") + "}," +
                       accessor(3, 5125, 3 * model.triangleCount, "SCALAR") + "}],\"buffers\":[{\"byteLength\":" +
                       std::to_string(layout.end);
    if (!embedded) text += ",\"uri\":\"" + uriOf(model.companion) + "\"";
    text += "}],\"bufferViews\":[" + view(layout.positions, layout.normals - layout.positions, vertexTarget) + "," +
            view(layout.normals, layout.points - layout.normals, vertexTarget) + "," +
            view(layout.points, layout.indices - layout.points, vertexTarget) + "," +
            view(layout.indices, layout.picture - layout.indices, ",\"target\":34963");
    if (model.texture != nullptr && embedded) {
        text += "," + view(layout.picture, static_cast<int64_t>(model.texture->bytes.size()), "");
    }
    text += "],";
    if (model.texture != nullptr) {
        text += embedded ? "\"images\":[{\"bufferView\":4,\"mimeType\":\"image/jpeg\"}],"
                         : "\"images\":[{\"uri\":\"" + uriOf(model.texture->name) + "\"}],";
    }
    text += material(model) +
            "\"meshes\":[{\"name\":\"kestrune\",\"primitives\":[{\"mode\":4,\"material\":0,\"indices\":3,"
            "\"attributes\":{\"POSITION\":0,\"NORMAL\":1,\"TEXCOORD_0\":2}}]}],"
            "\"nodes\":[{\"name\":\"kestrune\",\"mesh\":0}],";
    if (model.texture != nullptr) {
        text += "\"samplers\":[{}],\"textures\":[{\"source\":0,\"sampler\":0}],";
    }
    return text + "\"scenes\":[{\"nodes\":[0]}],\"scene\":0}";
}

Section positionSection() {
    return {mesh.faceCount, 4 * 12, [](char* out, int64_t f) {
                float p[4][3];
                int count = facePositions(static_cast<int>(f), p);
                for (int k = 0; k < count; ++k) {
                    for (int axis = 0; axis < 3; ++axis) out = appendBinary(out, p[k][axis]);
                }
                return out;
            }};
}

Section normalSection() {
    return {mesh.faceCount, 4 * 12, [](char* out, int64_t f) {
                float p[4][3], n[3];
                int count = facePositions(static_cast<int>(f), p);
                faceNormal(p, n);
                for (int k = 0; k < count; ++k) {
                    for (int axis = 0; axis < 3; ++axis) out = appendBinary(out, n[axis]);
                }
                return out;
            }};
}

// glTF's texture rows run down the picture, as the window's t does: the
// texture points go in as drawn.
Section texturePointSection(const MappingSettings& mapping) {
    return {mesh.faceCount, 4 * 8, [mapping](char* out, int64_t f) {
                TexturePoint points[4];
                int count = faceTextureCoordinates(static_cast<int>(f), mapping, points);
                for (int k = 0; k < count; ++k) out = appendBinary(appendBinary(out, points[k].s), points[k].t);
                return out;
            }};
}

// Each face's corners are numbered on from the previous face's; a quad is
// cut as (A, B, C) + (A, C, D).
Section indexSection() {
    auto starts = std::make_shared<const CornerStarts>(cornerStarts());
    return {mesh.faceCount, 6 * 4, [starts](char* out, int64_t f) {
                uint32_t a = static_cast<uint32_t>(firstCorner(*starts, f));
                for (uint32_t k : {a, a + 1, a + 2}) out = appendBinary(out, k);
                if (!isTriangle(static_cast<int>(f))) {
                    for (uint32_t k : {a, a + 2, a + 3}) out = appendBinary(out, k);
                }
                return out;
            }};
}

FileSections bufferSections(const ExportModel& model) {
    return {positionSection(), normalSection(), texturePointSection(model.mapping), indexSection()};
}

}  // namespace

std::string gltfJson(const ExportModel& model) {
    return json(model, false);
}

FileSections gltfBufferSections(const ExportModel& model) {
    return bufferSections(model);
}

// The 12-byte header, the JSON chunk padded with blanks to 4 bytes, the BIN
// chunk (whose parts are 4-byte multiples, the picture padded with zeros).
FileSections glbSections(const ExportModel& model) {
    bool picture = model.texture != nullptr;
    std::string text = json(model, true);
    text.resize(static_cast<size_t>(paddedTo4(static_cast<int64_t>(text.size()))), ' ');
    BufferLayout layout = layoutOf(model, picture);
    auto word = [](std::string& to, uint32_t value) { to.append(reinterpret_cast<const char*>(&value), 4); };
    std::string head;
    word(head, 0x46546C67);  // "glTF"
    word(head, 2);
    word(head, static_cast<uint32_t>(12 + 8 + text.size() + 8 + static_cast<size_t>(layout.end)));
    word(head, static_cast<uint32_t>(text.size()));
    word(head, 0x4E4F534A);  // "JSON"
    head += text;
    word(head, static_cast<uint32_t>(layout.end));
    word(head, 0x004E4942);  // "BIN"
    FileSections sections = bufferSections(model);
    sections.insert(sections.begin(), bytesSection(std::move(head)));
    if (picture) {
        sections.push_back(bytesSection(model.texture->bytes));
        sections.push_back(zerosSection(static_cast<size_t>(layout.end - layout.picture) - model.texture->bytes.size()));
    }
    return sections;
}
