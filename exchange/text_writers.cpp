// OBJ with its MTL, PLY, STL and standard OFF.
#include <bit>
#include <charconv>
#include <cstring>
#include <memory>
#include <vector>

#include "exchange/model_writers.h"

namespace {

// Longest records: a float is at most 15 characters, an index 11.
constexpr size_t pointLine = 4 + 3 * 16 + 1;  // "vn " and three floats
constexpr size_t indexField = 12;

char* appendText(char* out, const char* text) {
    size_t length = std::strlen(text);
    std::memcpy(out, text, length);
    return out + length;
}

char* appendIndex(char* out, int64_t value) {
    return std::to_chars(out, out + 20, value).ptr;
}

// "x y z"
char* appendPoint(char* out, const float p[3]) {
    out = appendFloat(out, p[0]);
    *out++ = ' ';
    out = appendFloat(out, p[1]);
    *out++ = ' ';
    return appendFloat(out, p[2]);
}

Section vertexSection(const char* prefix) {
    return {mesh.vertexCount, pointLine, [prefix](char* out, int64_t k) {
                const float* axes[3] = {mesh.vertexX, mesh.vertexY, mesh.vertexZ};
                float p[3];
                for (int axis = 0; axis < 3; ++axis) {
                    p[axis] = fileCoordinate(axes[axis][k], mesh.modelScale, mesh.modelCenter[axis]);
                }
                out = appendPoint(appendText(out, prefix), p);
                *out++ = '\n';
                return out;
            }};
}

// Texture points already written, in a small table, so that the points many
// faces share (corners A and B of every face that is its own texture base)
// are written once: a point is written again only once another has taken
// its place in the table.
struct PointNumbers {
    struct Entry {
        uint32_t s = 0, t = 0;
        int64_t number = 0;  // 0: empty
    };
    static constexpr int bits = 12;
    Entry table[1 << bits];
    int64_t count = 0;

    // The number (from 1) of point (s, t); true when it is new.
    bool find(float s, float t, int64_t& number) {
        uint32_t bs = std::bit_cast<uint32_t>(s), bt = std::bit_cast<uint32_t>(t);
        Entry& entry = table[((bs * 0x9E3779B1u) ^ (bt * 0x85EBCA77u)) >> (32 - bits)];
        if (entry.number != 0 && entry.s == bs && entry.t == bt) {
            number = entry.number;
            return false;
        }
        entry = {bs, bt, ++count};
        number = count;
        return true;
    }
};

// The texture points of face f as OBJ has them: (s, v = 1 - t). The window
// uploads the JPEG's first row as texture row t = 0, so t runs down the
// picture, while OBJ puts v = 0 at its bottom row. The texture repeats, so
// the shift by 1 changes nothing drawn.
int objTexturePoints(int64_t f, const MappingSettings& mapping, TexturePoint points[4]) {
    int count = faceTextureCoordinates(static_cast<int>(f), mapping, points);
    for (int k = 0; k < count; ++k) points[k].t = 1.0f - points[k].t;
    return count;
}

// What the table above decides for every corner, worked out in one pass in
// face order, beside the first lines of the file, so that the vt and f
// records of any face are made on their own: the number of the corner's
// texture point and whether the corner brings it (its vt line). Five bytes a
// corner, one a face.
struct ObjCornerPoints {
    CornerStarts starts;
    std::vector<uint32_t> number;  // from 1; under 2^32 (at most 2^30 faces are exported)
    std::vector<uint64_t> fresh;   // bit set: the point is new at this corner
    std::unique_ptr<PointNumbers> table;
    MappingSettings mapping;
};

void numberCornerPoints(ObjCornerPoints& corners) {
    size_t corner = 0;
    for (int64_t f = 0; f < mesh.faceCount; ++f) {
        TexturePoint points[4];
        int count = objTexturePoints(f, corners.mapping, points);
        for (int k = 0; k < count; ++k, ++corner) {
            int64_t number = 0;
            if (corners.table->find(points[k].s, points[k].t, number)) {
                corners.fresh[corner >> 6] |= uint64_t{1} << (corner & 63);
            }
            corners.number[corner] = static_cast<uint32_t>(number);
        }
    }
    corners.table.reset();
}

// The memory taken here (std::bad_alloc without it), the pass started beside.
std::shared_ptr<const ObjCornerPoints> objCornerPoints(const ExportModel& model, std::shared_future<void>& ready) {
    auto corners = std::make_shared<ObjCornerPoints>();
    corners->starts = cornerStarts();
    corners->number.resize(static_cast<size_t>(model.cornerCount));
    corners->fresh.assign(static_cast<size_t>(model.cornerCount + 63) / 64, 0);
    corners->table = std::make_unique<PointNumbers>();
    corners->mapping = model.mapping;
    ready = startBeside([corners] { numberCornerPoints(*corners); });
    return corners;
}

// "vt s v" for each point the face brings; faces that bring none skip their
// texture points.
Section objTextureSection(const MappingSettings& mapping, std::shared_ptr<const ObjCornerPoints> corners) {
    return {mesh.faceCount, 4 * (3 + 2 * 16 + 1), [mapping, corners](char* out, int64_t f) {
                uint64_t first = static_cast<uint64_t>(firstCorner(corners->starts, f));
                int count = isTriangle(static_cast<int>(f)) ? 3 : 4;
                bool fresh[4] = {};
                bool any = false;
                for (int k = 0; k < count; ++k) {
                    uint64_t corner = first + static_cast<uint64_t>(k);
                    fresh[k] = (corners->fresh[corner >> 6] >> (corner & 63) & 1) != 0;
                    any = any || fresh[k];
                }
                if (!any) return out;
                TexturePoint points[4];
                objTexturePoints(f, mapping, points);
                for (int k = 0; k < count; ++k) {
                    if (!fresh[k]) continue;
                    out = appendFloat(appendText(out, "vt "), points[k].s);
                    *out++ = ' ';
                    out = appendFloat(out, points[k].t);
                    *out++ = '\n';
                }
                return out;
            }};
}

Section objNormalSection() {
    return {mesh.faceCount, pointLine, [](char* out, int64_t f) {
                float p[4][3], n[3];
                facePositions(static_cast<int>(f), p);
                faceNormal(p, n);
                out = appendPoint(appendText(out, "vn "), n);
                *out++ = '\n';
                return out;
            }};
}

// "f v/vt/vn ...", numbered from 1: the model's vertex, the corner's
// texture point, the face's normal.
Section objFaceSection(std::shared_ptr<const ObjCornerPoints> corners) {
    return {mesh.faceCount, 2 + 4 * 3 * indexField + 16, [corners](char* out, int64_t f) {
                int32_t vertices[4];
                int count = faceCorners(static_cast<int>(f), vertices);
                const uint32_t* numbers = corners->number.data() + firstCorner(corners->starts, f);
                // The normal's number, the same at every corner, is made once.
                char normal[20];
                size_t normalLength = static_cast<size_t>(appendIndex(normal, f + 1) - normal);
                *out++ = 'f';
                for (int k = 0; k < count; ++k) {
                    *out++ = ' ';
                    out = appendIndex(out, int64_t{vertices[k]} + 1);
                    *out++ = '/';
                    out = appendIndex(out, numbers[k]);
                    *out++ = '/';
                    std::memcpy(out, normal, normalLength);
                    out += normalLength;
                }
                *out++ = '\n';
                return out;
            }};
}

// "n a b c [d]": the faces as stored.
Section textFaceSection() {
    return {mesh.faceCount, 2 + 4 * indexField + 1, [](char* out, int64_t f) {
                int32_t corners[4];
                int count = faceCorners(static_cast<int>(f), corners);
                *out++ = static_cast<char>('0' + count);
                for (int k = 0; k < count; ++k) {
                    *out++ = ' ';
                    out = appendIndex(out, corners[k]);
                }
                *out++ = '\n';
                return out;
            }};
}

Section plyBinaryVertexSection() {
    return {mesh.vertexCount, 12, [](char* out, int64_t k) {
                const float* axes[3] = {mesh.vertexX, mesh.vertexY, mesh.vertexZ};
                for (int axis = 0; axis < 3; ++axis) {
                    out = appendBinary(out, fileCoordinate(axes[axis][k], mesh.modelScale, mesh.modelCenter[axis]));
                }
                return out;
            }};
}

Section plyBinaryFaceSection() {
    return {mesh.faceCount, 1 + 4 * 4, [](char* out, int64_t f) {
                int32_t corners[4];
                int count = faceCorners(static_cast<int>(f), corners);
                *out++ = static_cast<char>(count);
                for (int k = 0; k < count; ++k) out = appendBinary(out, corners[k]);
                return out;
            }};
}

// The triangles of face f, quads cut as (A, B, C) + (A, C, D) as the window
// draws them; both halves take the face's normal.
constexpr int cuts[2][3] = {{0, 1, 2}, {0, 2, 3}};

int faceTriangles(int f, float p[4][3], float n[3]) {
    int count = facePositions(f, p);
    faceNormal(p, n);
    return count - 2;
}

Section stlTextFaceSection() {
    constexpr size_t triangle = 14 + 3 * 16 + 1 + 13 + 3 * (10 + 3 * 16 + 1) + 11 + 10;
    return {mesh.faceCount, 2 * triangle, [](char* out, int64_t f) {
                float p[4][3], n[3];
                int triangles = faceTriangles(static_cast<int>(f), p, n);
                for (int t = 0; t < triangles; ++t) {
                    out = appendPoint(appendText(out, " facet normal "), n);
                    out = appendText(out, "\n  outer loop\n");
                    for (int k = 0; k < 3; ++k) {
                        out = appendPoint(appendText(out, "   vertex "), p[cuts[t][k]]);
                        *out++ = '\n';
                    }
                    out = appendText(out, "  endloop\n endfacet\n");
                }
                return out;
            }};
}

Section stlBinaryFaceSection() {
    return {mesh.faceCount, 2 * 50, [](char* out, int64_t f) {
                float p[4][3], n[3];
                int triangles = faceTriangles(static_cast<int>(f), p, n);
                for (int t = 0; t < triangles; ++t) {
                    for (int axis = 0; axis < 3; ++axis) out = appendBinary(out, n[axis]);
                    for (int k = 0; k < 3; ++k) {
                        for (int axis = 0; axis < 3; ++axis) out = appendBinary(out, p[cuts[t][k]][axis]);
                    }
                    out = appendBinary(out, uint16_t{0});
                }
                return out;
            }};
}

std::string shortest(float value) {
    char text[16];
    return std::string(text, appendFloat(text, value));
}

}  // namespace

FileSections objSections(const ExportModel& model) {
    std::string header = "# Kestrune\nmtllib " + model.companion + "\n";
    std::shared_future<void> ready;
    std::shared_ptr<const ObjCornerPoints> corners = objCornerPoints(model, ready);
    Section points = objTextureSection(model.mapping, corners), faces = objFaceSection(corners);
    points.ready = faces.ready = ready;
    return {bytesSection(header), vertexSection("v "), points, objNormalSection(),
            bytesSection("g kestrune\nusemtl kestrune\n"), faces};
}

// The uniform colour 0x00BBGGRR stands for the picture when there is none.
FileSections mtlSections(const ExportModel& model) {
    std::string text = "newmtl kestrune\n";
    if (model.texture != nullptr) {
        text += "Kd 1 1 1\nillum 1\nmap_Kd " + model.texture->name + "\n";
    } else {
        text += "Kd " + shortest(static_cast<float>(model.uniformColor & 0xFF) / 255.0f) + " " +
                shortest(static_cast<float>((model.uniformColor >> 8) & 0xFF) / 255.0f) + " " +
                shortest(static_cast<float>((model.uniformColor >> 16) & 0xFF) / 255.0f) + "\nillum 1\n";
    }
    return {bytesSection(text)};
}

// The faces' corner list is named vertex_indices, the common name: some
// readers (meshio) know no other, and Assimp and OpenMesh read it too.
FileSections plySections(bool ascii) {
    std::string header = std::string("ply\nformat ") + (ascii ? "ascii" : "binary_little_endian") +
                         " 1.0\ncomment Kestrune\nelement vertex " + std::to_string(mesh.vertexCount) +
                         "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
                         std::to_string(mesh.faceCount) + "\nproperty list uchar int vertex_indices\nend_header\n";
    if (ascii) return {bytesSection(header), vertexSection(""), textFaceSection()};
    return {bytesSection(header), plyBinaryVertexSection(), plyBinaryFaceSection()};
}

FileSections stlSections(bool ascii, const ExportModel& model) {
    if (ascii) return {bytesSection("solid kestrune\n"), stlTextFaceSection(), bytesSection("endsolid kestrune\n")};
    // A binary header must not start with "solid", or readers take it for text.
    std::string header(80, '\0');
    std::memcpy(header.data(), "Kestrune", 8);
    header += std::string(4, '\0');
    uint32_t triangles = static_cast<uint32_t>(model.triangleCount);
    std::memcpy(header.data() + 80, &triangles, 4);
    return {bytesSection(header), stlBinaryFaceSection()};
}

// "OFF", the counts "V F 0", one "x y z" line per vertex in file units and
// one "n a b c [d]" line per face.
FileSections standardOffSections() {
    std::string header = "OFF\n" + std::to_string(mesh.vertexCount) + " " + std::to_string(mesh.faceCount) + " 0\n";
    return {bytesSection(header), vertexSection(""), textFaceSection()};
}
