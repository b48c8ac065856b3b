// The OFF text of a model: one formatter, fed from plain arrays and counts,
// for the model saved by "Sauver", an imported model written unchanged and
// standard OFF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/section_writer.h"
#include "mesh/mesh.h"

// A vertex coordinate in the units of the model's file, as "Sauver" writes
// it: (S / 0.6) * v + c in double, kept as float.
inline float fileCoordinate(float view, float scale, float center) {
    double factor = static_cast<double>(scale) / 0.6;
    return static_cast<float>(factor * static_cast<double>(view) + static_cast<double>(center));
}

// Exactly the bytes of the C library's "%15.8g" for `value`, in the C locale,
// written to `out`, which must have room for 16 (the field is stored in one
// block; the byte after it is scratch). Returns the length.
int formatCoordinateField(double value, char* out);

// The float that `value`'s "%15.8g" field reads back to, worked out without
// the text; false where only reading the text can tell (NaN, infinities,
// results outside the normal floats, the rare double half way between two
// floats).
bool readBackCoordinate(double value, float& read);

// Kestrune's own OFF: "OFF  " and the texture name, the counts " %d  %d",
// " %15.8g %15.8g %15.8g" vertex lines and " 3 %d %d %d" or " 4 %d %d %d %d"
// face lines. Standard OFF: "OFF", the counts "V F 0", "x y z" lines (the
// shortest text that reads back to the same float) and "n a b c [d]" lines,
// which other tools read. LF line ends.
enum class OffStyle { Kestrune, Standard };

// Vertex v's coordinates at x[v * vertexStride], y[...], z[...]; face f's
// corners at a[f * faceStride], ..., d = -1 for a triangle. The mesh keeps
// view coordinates (`viewUnits`: written through fileCoordinate with its
// scale and centre); an import keeps its file's own.
struct OffArrays {
    int64_t vertexCount = 0;
    int64_t faceCount = 0;
    const float* x = nullptr;
    const float* y = nullptr;
    const float* z = nullptr;
    size_t vertexStride = 1;
    const int32_t* a = nullptr;
    const int32_t* b = nullptr;
    const int32_t* c = nullptr;
    const int32_t* d = nullptr;
    size_t faceStride = 1;
    bool viewUnits = false;
    float scale = 0.6f;
    float center[3] = {0, 0, 0};
};

// The mesh's arrays, its stored vertices and faces only.
OffArrays meshOffArrays(const Mesh& m);

// The longest vertex and face lines, and the lines themselves.
inline constexpr size_t offVertexLineLimit = 3 * 16 + 1;
inline constexpr size_t offFaceLineLimit = 3 + 4 * 12 + 1;
char* appendOffVertexLine(char* out, const float p[3], OffStyle style);
char* appendOffFaceLine(char* out, const int32_t corners[4], OffStyle style);

// The vertex lines and the face lines as runs of records
// (core/section_writer.h), for OFF and for the text formats that share its
// lines; then the whole file, `textureName` on the header of Kestrune's OFF. The arrays are read when the sections are
// streamed: they must stay as they are until then.
Section offVertexSection(const OffArrays& arrays, OffStyle style);
Section offFaceSection(const OffArrays& arrays, OffStyle style);
FileSections offFileSections(const OffArrays& arrays, OffStyle style, const std::string& textureName = {});

// The Kestrune OFF file of `m`, with its texture name; whole.
FileSections meshOffSections(const Mesh& m);
std::string formatOffText(const Mesh& m);

inline constexpr size_t offTextChunkSize = size_t{2} << 20;

// The same bytes as formatOffText, handed to `sink` in pieces of at most
// `chunkSize` bytes as they are made (writeSections: two threads make them,
// a third hands them over in order), so `sink` must not touch the model.
// Returns false as soon as `sink` fails (errno as the sink left it) or when
// memory for the pieces cannot be had (ENOMEM, *memoryExhausted set when
// given); nothing more is handed over then.
bool writeOffText(const Mesh& m, const PieceSink& sink, size_t chunkSize = offTextChunkSize,
                  bool* memoryExhausted = nullptr);
