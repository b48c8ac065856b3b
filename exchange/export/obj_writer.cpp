// OBJ with its MTL: vertices, texture points numbered once where faces share
// them, face normals, faces.
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "exchange/export/format_writers.h"

namespace {

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
// texture point, whether the corner brings it (its vt line), and each new
// point as it was worked out, so that its line is made without working it
// out again. Five bytes a corner, one a face, eight a new point: less than
// the model's text took while it was read.
struct ObjCornerPoints {
    CornerStarts starts;
    std::vector<uint32_t> number;  // from 1; under 2^32 (at most 2^30 faces are exported)
    std::vector<uint64_t> fresh;   // bit set: the point is new at this corner
    // Point number n at [2n - 2, 2n - 1]; room for every corner, only the
    // pages of the points written become resident.
    std::unique_ptr<float[]> points;
    std::unique_ptr<PointNumbers> table;
    MappingSettings mapping;
};

void numberCornerPoints(ObjCornerPoints& corners) {
    size_t corner = 0;
    float* points = corners.points.get();
    for (int64_t f = 0; f < mesh.faceCount; ++f) {
        TexturePoint facePoints[4];
        int count = objTexturePoints(f, corners.mapping, facePoints);
        for (int k = 0; k < count; ++k, ++corner) {
            int64_t number = 0;
            if (corners.table->find(facePoints[k].s, facePoints[k].t, number)) {
                corners.fresh[corner >> 6] |= uint64_t{1} << (corner & 63);
                points[2 * number - 2] = facePoints[k].s;
                points[2 * number - 1] = facePoints[k].t;
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
    corners->points.reset(new float[2 * static_cast<size_t>(model.cornerCount)]);
    corners->table = std::make_unique<PointNumbers>();
    corners->mapping = model.mapping;
    ready = startBeside([corners] { numberCornerPoints(*corners); });
    return corners;
}

// "vt s v" for each point the face brings; faces that bring none skip their
// texture points.
Section objTextureSection(std::shared_ptr<const ObjCornerPoints> corners) {
    return {mesh.faceCount, 4 * (3 + 2 * 16 + 1), [corners](char* out, int64_t f) {
                uint64_t first = static_cast<uint64_t>(firstCorner(corners->starts, f));
                int count = isTriangle(static_cast<int>(f)) ? 3 : 4;
                for (int k = 0; k < count; ++k) {
                    uint64_t corner = first + static_cast<uint64_t>(k);
                    if ((corners->fresh[corner >> 6] >> (corner & 63) & 1) == 0) continue;
                    const float* point = &corners->points[2 * size_t{corners->number[corner]} - 2];
                    out = appendFloat(appendText(out, "vt "), point[0]);
                    *out++ = ' ';
                    out = appendFloat(out, point[1]);
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

}  // namespace

FileSections objSections(const ExportModel& model) {
    std::string header = "# Kestrune\nmtllib " + model.companion + "\n";
    std::shared_future<void> ready;
    std::shared_ptr<const ObjCornerPoints> corners = objCornerPoints(model, ready);
    Section points = objTextureSection(corners), faces = objFaceSection(corners);
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
