// Writing a file that is made in pieces, bypassing the page cache where the
// file system allows it.
#pragma once

#include <cstddef>

// Takes the pieces of one file written to `fd` from its start. Whole blocks
// go out with O_DIRECT when the file system takes it: copying hundreds of
// megabytes into the page cache costs more than making them (410 MB/s
// against 1.8 GB/s direct, measured on the benchmark machine), while the
// flush that ends a safe replacement would wait for the same disk writes
// anyway. Where O_DIRECT is refused the pieces are written as they come.
struct DirectFileWriter {
    int fd = -1;
    bool direct = false;
    char* block = nullptr;  // aligned buffer of `capacity` bytes
    size_t capacity = 0;
    size_t used = 0;
};

// Opens the writer on `fd`. False (errno ENOMEM) without memory for its buffer.
bool openDirectWriter(DirectFileWriter& writer, int fd);
// Appends `size` bytes; false with errno set when the file cannot take them.
bool writeDirect(DirectFileWriter& writer, const char* data, size_t size);
// Writes what is left (the last partial block through the page cache);
// releases the buffer, also on failure.
bool closeDirectWriter(DirectFileWriter& writer);
