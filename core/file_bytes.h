// Reading a whole file into one heap block, or mapping it.
#pragma once

#include <cstddef>
#include <string>

// The whole content of a file, in one heap block or mapped (mapFileBytes).
struct FileBytes {
    char* data = nullptr;
    size_t size = 0;
    int mapping = -1;  // the mapping's slot, -1 for a heap block
};
// Reads a regular file whole; false (nothing held, errno telling why when the
// system said so, EISDIR for a folder) when it cannot be opened or read, is
// not a regular file or memory runs out. Never waits on a pipe or a device.
bool readWholeFile(const std::string& path, FileBytes& bytes);
void releaseFileBytes(FileBytes& bytes);
// The same, mapped from the page cache rather than copied: a large model
// text is then there at once. Its pages stay readable whatever happens to
// the file: should another program shorten it meanwhile, what is gone reads
// as zeros and fileBytesIntact tells. Read into a heap block when it cannot
// be mapped.
bool mapWholeFile(const std::string& path, FileBytes& bytes);
// False once part of a mapped file was found gone while it was read.
bool fileBytesIntact(const FileBytes& bytes);
// The same into a string (`text` replaced); ENOMEM when it cannot be held.
bool readWholeFile(const std::string& path, std::string& text);
