// What the import child hands back to its parent through a pipe: a short
// frame of length-prefixed fields, then the vertices and faces as raw
// arrays, checked field by field when read back.
#pragma once

#include <string>

#include "exchange/contained_import.h"

// The frame of a finished import up to its arrays: `failure` empty when it
// succeeded. The positions' and then the corners' bytes follow it.
std::string encodeImportHeader(const ImportedModel& model, const std::string& failure);

// The whole frame, for tests and fuzzers.
std::string encodeImport(const ImportedModel& model, const std::string& failure);

// Reads a frame back. False when the bytes are not a whole frame; otherwise
// true, with `failure` set to the child's reason when its import failed.
bool decodeImport(const std::string& frame, ImportedModel& model, std::string& failure);
