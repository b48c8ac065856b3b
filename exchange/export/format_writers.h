// The files of the other formats, made record by record straight from the
// global mesh (see section_writer.h). Every writer reads the mesh only.
#pragma once

#include <charconv>
#include <cmath>
#include <cstring>
#include <cstdint>
#include <string>
#include <vector>

#include "core/digit_text.h"
#include "exchange/export/export_set.h"
#include "core/section_writer.h"

// What the writers need besides the global mesh, worked out once.
struct ExportModel {
    MappingSettings mapping;
    long uniformColor = 0;                 // 0x00BBGGRR, the diffuse colour without a texture
    const TextureFile* texture = nullptr;  // named in the material, or embedded in GLB
    std::string companion;                 // the .mtl or .bin file name, without folder
    int64_t cornerCount = 0;               // corners of every face
    int64_t triangleCount = 0;             // faces once quads are cut in two
    float low[3] = {0, 0, 0};              // bounds of the faces' corners, in file units (glTF)
    float high[3] = {0, 0, 0};
};

// Counts of the global mesh for `model`, and with `bounds` its bounds.
void measureExport(ExportModel& model, bool bounds);

// Where the corners of each face start when they are numbered on from face
// to face (three for a triangle, four for a quad), for any face on its own:
// the first corner of every block of 256 faces, and for each face the quads
// before it in its block (a byte a face).
struct CornerStarts {
    std::vector<int64_t> first;
    std::vector<uint8_t> quadsBefore;
};

// Those of the global mesh (std::bad_alloc without memory for them).
CornerStarts cornerStarts();

inline int64_t firstCorner(const CornerStarts& starts, int64_t f) {
    return starts.first[static_cast<size_t>(f >> 8)] + 3 * (f & 255) + starts.quadsBefore[static_cast<size_t>(f)];
}

// What the text records share.
// Longest records: a float is at most 15 characters, an index 11.
inline constexpr size_t pointLine = 4 + 3 * 16 + 1;  // "vn " and three floats
inline constexpr size_t indexField = 12;

inline char* appendText(char* out, const char* text) {
    size_t length = std::strlen(text);
    std::memcpy(out, text, length);
    return out + length;
}

inline char* appendIndex(char* out, int64_t value) { return appendDecimal(out, value); }

// "x y z"
inline char* appendPoint(char* out, const float p[3]) {
    out = appendFloat(out, p[0]);
    *out++ = ' ';
    out = appendFloat(out, p[1]);
    *out++ = ' ';
    return appendFloat(out, p[2]);
}

// The shortest text that reads back to `value`.
inline std::string shortest(float value) {
    char text[16];
    return std::string(text, appendFloat(text, value));
}

FileSections objSections(const ExportModel& model);
// The same bytes, the texture points numbered in two halves at once, the
// second from face `secondHalfFrom` (the face count: in one go).
FileSections objSections(const ExportModel& model, int64_t secondHalfFrom);
FileSections mtlSections(const ExportModel& model);
FileSections plySections(bool ascii);
FileSections stlSections(bool ascii, const ExportModel& model);
// glTF: the JSON text naming `model.companion` as its buffer, and that
// buffer; GLB: the one file holding both and the picture.
std::string gltfJson(const ExportModel& model);
FileSections gltfBufferSections(const ExportModel& model);
FileSections glbSections(const ExportModel& model);

// The corners of face f in file units; returns 3 or 4.
inline int facePositions(int f, float p[4][3]) {
    int32_t corners[4];
    int count = faceCorners(f, corners);
    const float* axes[3] = {mesh.vertexX, mesh.vertexY, mesh.vertexZ};
    for (int k = 0; k < count; ++k) {
        for (int axis = 0; axis < 3; ++axis) {
            p[k][axis] = fileCoordinate(axes[axis][corners[k]], mesh.modelScale, mesh.modelCenter[axis]);
        }
    }
    return count;
}

// The face's plane normal from its first three corners, as the window lights
// it (flat), with the arithmetic the exports always had: float cross
// product, scaled by 1 / length; (0, 0, 1) for a face without area.
inline void faceNormal(const float p[4][3], float n[3]) {
    float u[3], v[3];
    for (int axis = 0; axis < 3; ++axis) {
        u[axis] = p[1][axis] - p[0][axis];
        v[axis] = p[2][axis] - p[0][axis];
    }
    n[0] = u[1] * v[2] - u[2] * v[1];
    n[1] = u[2] * v[0] - u[0] * v[2];
    n[2] = u[0] * v[1] - u[1] * v[0];
    float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(length > 0.0f)) {
        n[0] = n[1] = 0.0f;
        n[2] = 1.0f;
        return;
    }
    float inverse = 1 / length;
    for (int axis = 0; axis < 3; ++axis) n[axis] *= inverse;
}
