// What the import child hands back to its parent through a pipe: a short
// frame of length-prefixed fields, then the vertices and faces as raw
// arrays, checked field by field when read back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "exchange/scene/imported_scene.h"

// The frame of a finished import up to its arrays: `failure` empty when it
// succeeded. The positions' and then the corners' bytes follow it.
std::string encodeImportHeader(const ImportedModel& model, const std::string& failure);

// The whole frame, for tests and fuzzers.
std::string encodeImport(const ImportedModel& model, const std::string& failure);

// Reads a frame as it arrives, the arrays straight into the model's vectors
// (no second copy of the model): the header is gathered in `header` until it
// is whole, then each read lands where frameDestination says.
struct FrameReader {
    enum class Stage { Header, Arrays, Whole, Broken, TooLarge };
    Stage stage = Stage::Header;
    uint64_t sizeLimit = 0;      // largest frame taken (the child's memory)
    std::string header;          // room for the header, its first bytes read
    size_t headerBytesIn = 0;
    ImportedModel model;         // what the frame holds, filled as it comes
    std::string failure;         // the child's reason when its import failed
    uint64_t positionBytes = 0;  // array sizes, from the header
    uint64_t cornerBytes = 0;
    uint64_t arrayBytesIn = 0;   // of the arrays, bytes already in place
    char overflow[64];           // where bytes past the frame's end go
};

void startFrame(FrameReader& reader, uint64_t sizeLimit);
// Where the next bytes read should go, and how many may: the end of the
// header buffer, then the arrays in order, then a scratch place (any byte
// past the frame's end spoils it). Null once the frame is refused.
char* frameDestination(FrameReader& reader, size_t& room);
// `count` bytes were read into the last destination.
void frameReceived(FrameReader& reader, size_t count);

// Reads a whole frame back. False when the bytes are not a whole frame;
// otherwise true, with `failure` set to the child's reason when its import
// failed.
bool decodeImport(const std::string& frame, ImportedModel& model, std::string& failure);
