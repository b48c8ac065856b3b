// Opening a file for reading only when it is a regular file, so that a FIFO,
// a device or a directory given as a model, texture or options file is
// refused at once instead of blocking the program or reading endless data.
#pragma once

#include <string>

// A read-only descriptor (close-on-exec, blocking reads) of `path` when it
// is a regular file; -1 otherwise, with errno set (EISDIR for a directory,
// EINVAL for any other kind of file that is not regular).
int openRegularFileForReading(const std::string& path);
