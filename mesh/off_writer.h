// The OFF text of a model, in the coordinates of the file it came from.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

#include "mesh/mesh.h"

// A vertex coordinate in the units of the model's file, as "Sauver" writes
// it: (S / 0.6) * v + c in double, kept as float.
inline float fileCoordinate(float view, float scale, float center) {
    double factor = static_cast<double>(scale) / 0.6;
    return static_cast<float>(factor * static_cast<double>(view) + static_cast<double>(center));
}

// Exactly the bytes of the C library's "%15.8g" for `value`, in the C locale,
// written to `out` (at least 16 bytes; no NUL). Returns the length.
int formatCoordinateField(double value, char* out);

// The whole file: "OFF  " and the texture name, the counts " %d  %d", one
// " %15.8g %15.8g %15.8g" line per vertex in file coordinates and one
// " 3 %d %d %d" or " 4 %d %d %d %d" line per face; LF line ends. The model is
// only read: file coordinates are worked out line by line.
std::string formatOffText(const Mesh& m);

// Takes the next piece of the text; false when it could not be written
// (errno telling why).
using OffTextSink = std::function<bool(const char* data, size_t size)>;

// Puts the next bytes of a text made in pieces in [begin, end), returns
// where they stop and sets `done` once the text is complete; unless done it
// takes at least one byte of a piece of 1024 bytes.
using PieceFiller = std::function<char*(char* begin, char* end, bool& done)>;

// The machinery of writeOffText for any text or bytes made by `fill`, in
// pieces of max(chunkSize, 1024) bytes, with the same threads, errors and
// memory as below.
bool writePieces(const PieceFiller& fill, const OffTextSink& sink, size_t chunkSize,
                 bool* memoryExhausted = nullptr);

inline constexpr size_t offTextChunkSize = size_t{2} << 20;

// The same bytes as formatOffText, handed to `sink` in pieces of at most
// `chunkSize` bytes as they are made: memory for two pieces, not the whole
// text. The next piece is formatted on this thread while `sink` takes the
// previous one on another, so `sink` must not touch what this thread uses.
// Returns false as soon as `sink` fails (errno as the sink left it) or when
// memory for the pieces cannot be had (ENOMEM, *memoryExhausted set when
// given); nothing more is handed over then.
bool writeOffText(const Mesh& m, const OffTextSink& sink, size_t chunkSize = offTextChunkSize,
                  bool* memoryExhausted = nullptr);
