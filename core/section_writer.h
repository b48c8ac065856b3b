// Files made of runs of small records, written piece by piece as they are
// made, or whole into one string: the one way the program streams a file it
// writes (the OFF save and every export).
#pragma once

#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include "core/float_text.h"

// Takes the next piece of a file; false when it could not be written
// (errno telling why).
using PieceSink = std::function<bool(const char* data, size_t size)>;

// Record k of a run, put at `out`; returns the end of what it wrote. Each
// record is made on its own, from anywhere in the run and on any of two
// threads at once: what a record needs from the ones before it (a running
// corner count) is worked out beforehand, and the writer only reads it.
using RecordWriter = std::function<char*(char* out, int64_t k)>;

struct Section {
    int64_t count = 0;   // records
    size_t longest = 0;  // most bytes one record takes
    RecordWriter append;
    // When valid, work done beside (startBeside) that the records read: none
    // of them is made before it is over.
    std::shared_future<void> ready = {};
};

// `work` started on a thread of its own, the future telling when it is over;
// done here when no thread can start (the future is then not valid). `work`
// must not throw: what it needs is allocated beforehand.
std::shared_future<void> startBeside(std::function<void()> work);

using FileSections = std::vector<Section>;

// `bytes` copied as they are, in slices.
Section bytesSection(std::string bytes);

// `count` zero bytes (padding).
Section zerosSection(size_t count);

// Streams the sections to `sink` in pieces of at most `pieceSize` bytes (at
// least the longest record): a piece takes records while their longest sizes
// fit. Two threads make pieces at once while a third hands them to `sink`,
// one at a time and in order (one thread does it all if no other can start),
// so `sink` must not touch what the records read. False as soon as `sink`
// fails (errno as it left it; nothing more is handed over) or when memory
// for the pieces cannot be had (ENOMEM, *memoryExhausted set when given);
// no thread is left running on return, the sections' work beside included.
bool writeSections(const FileSections& sections, const PieceSink& sink, size_t pieceSize,
                   bool* memoryExhausted = nullptr);

// The same bytes in one string.
std::string sectionsText(const FileSections& sections);

// Streams the sections into the file open on `fd`, from its start, in
// pieces of `pieceSize` bytes, whole blocks past the page cache where the
// file system allows it (direct_file_writer.h): the one way the program's
// files reach the disk (see writeSections for the threads). False with
// errno set as above.
bool writeSectionsToFile(int fd, const FileSections& sections, size_t pieceSize, bool* memoryExhausted = nullptr);

// Shortest text that reads back to the same float, as std::to_chars writes
// it; at most 15 characters, with room for 16 at `out`.
inline char* appendFloat(char* out, float value) {
    return appendShortestFloat(out, value);
}

// The files are little-endian; so are the machines this runs on.
static_assert(std::endian::native == std::endian::little, "binary exports assume a little-endian machine");

template <typename T>
inline char* appendBinary(char* out, T value) {
    std::memcpy(out, &value, sizeof value);
    return out + sizeof value;
}
