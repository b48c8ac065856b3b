// Files made of runs of small records, written piece by piece as they are
// made (through writePieces, as OFF text is), or whole into one string.
#pragma once

#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "mesh/off_writer.h"

// Record k of a run, put at `out`; returns the end of what it wrote. The
// records of a run are made once each, in order, so a record may carry state
// from one to the next (a running corner count).
using RecordWriter = std::function<char*(char* out, int64_t k)>;

struct Section {
    int64_t count = 0;   // records
    size_t longest = 0;  // most bytes one record takes
    RecordWriter append;
};

using FileSections = std::vector<Section>;

// `bytes` copied as they are, in slices.
Section bytesSection(std::string bytes);

// `count` zero bytes (padding).
Section zerosSection(size_t count);

// Streams the sections to `sink` in pieces of about `pieceSize` bytes (at
// least the longest record); errors and memory as writePieces.
bool writeSections(const FileSections& sections, const OffTextSink& sink, size_t pieceSize,
                   bool* memoryExhausted = nullptr);

// The same bytes in one string.
std::string sectionsText(const FileSections& sections);

// Shortest text that reads back to the same float (std::to_chars); at most
// 15 characters.
inline char* appendFloat(char* out, float value) {
    return std::to_chars(out, out + 16, value).ptr;
}

// The files are little-endian; so are the machines this runs on.
static_assert(std::endian::native == std::endian::little, "binary exports assume a little-endian machine");

template <typename T>
inline char* appendBinary(char* out, T value) {
    std::memcpy(out, &value, sizeof value);
    return out + sizeof value;
}
