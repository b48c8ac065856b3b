// PLY, binary little-endian or text: the vertices, then the faces as stored.
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "exchange/export/format_writers.h"

namespace {

// "n a b c [d]": the faces as stored.
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

}  // namespace

// The faces' corner list is named vertex_indices, the common name: some
// readers (meshio) know no other, and Assimp and OpenMesh read it too.
FileSections plySections(bool ascii) {
    std::string header = std::string("ply\nformat ") + (ascii ? "ascii" : "binary_little_endian") +
                         " 1.0\ncomment Kestrune\nelement vertex " + std::to_string(mesh.vertexCount) +
                         "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
                         std::to_string(mesh.faceCount) + "\nproperty list uchar int vertex_indices\nend_header\n";
    // Text PLY lines are those of standard OFF.
    const OffArrays arrays = meshOffArrays(mesh);
    if (ascii) {
        return {bytesSection(header), offVertexSection(arrays, OffStyle::Standard),
                offFaceSection(arrays, OffStyle::Standard)};
    }
    return {bytesSection(header), plyBinaryVertexSection(), plyBinaryFaceSection()};
}
