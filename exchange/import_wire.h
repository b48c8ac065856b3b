// What the import child hands back to its parent through a pipe: a short
// frame of length-prefixed fields, checked field by field when read back.
#pragma once

#include <string>

#include "exchange/contained_import.h"

// The frame of a finished import: `failure` empty when it succeeded.
std::string encodeImport(const ImportedModel& model, const std::string& failure);

// Reads a frame back. False when the bytes are not a whole frame; otherwise
// true, with `failure` set to the child's reason when its import failed.
bool decodeImport(const std::string& frame, ImportedModel& model, std::string& failure);
