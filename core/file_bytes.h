// Reading a whole file into one heap block.
#pragma once

#include <cstddef>
#include <string>

// The whole content of a file, in one heap block.
struct FileBytes {
    char* data = nullptr;
    size_t size = 0;
};
// Reads a regular file whole; false (nothing held, errno telling why when the
// system said so, EISDIR for a folder) when it cannot be opened or read, is
// not a regular file or memory runs out. Never waits on a pipe or a device.
bool readWholeFile(const std::string& path, FileBytes& bytes);
void releaseFileBytes(FileBytes& bytes);
// The same into a string (`text` replaced); ENOMEM when it cannot be held.
bool readWholeFile(const std::string& path, std::string& text);
