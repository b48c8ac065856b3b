#include "core/direct_file_writer.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr size_t alignment = 4096;
constexpr size_t bufferSize = size_t{4} << 20;

bool setDirect(int fd, bool on) {
    int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0) return false;
    return ::fcntl(fd, F_SETFL, on ? flags | O_DIRECT : flags & ~O_DIRECT) == 0;
}

// Writes `size` bytes of the buffer from `from` on (whole blocks while
// direct). A file system that refuses a direct write (wanting larger blocks,
// or after a short write) gets the rest through the page cache.
bool writeOut(DirectFileWriter& writer, size_t from, size_t size) {
    size_t done = 0;
    while (done < size) {
        ssize_t n = ::write(writer.fd, writer.block + from + done, size - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && errno == EINVAL && writer.direct && setDirect(writer.fd, false)) {
            writer.direct = false;
        } else if (n == 0 || errno != EINTR) {
            if (n == 0) errno = EIO;
            return false;
        }
    }
    return true;
}

}  // namespace

bool openDirectWriter(DirectFileWriter& writer, int fd) {
    writer = DirectFileWriter{};
    writer.fd = fd;
    writer.block = static_cast<char*>(std::aligned_alloc(alignment, bufferSize));
    if (writer.block == nullptr) {
        errno = ENOMEM;
        return false;
    }
    writer.capacity = bufferSize;
    writer.direct = setDirect(fd, true);
    return true;
}

bool writeDirect(DirectFileWriter& writer, const char* data, size_t size) {
    while (size > 0) {
        size_t taken = std::min(size, writer.capacity - writer.used);
        std::memcpy(writer.block + writer.used, data, taken);
        writer.used += taken;
        data += taken;
        size -= taken;
        if (writer.used == writer.capacity) {
            if (!writeOut(writer, 0, writer.used)) return false;
            writer.used = 0;
        }
    }
    return true;
}

bool closeDirectWriter(DirectFileWriter& writer) {
    size_t whole = writer.used / alignment * alignment;
    bool written = writeOut(writer, 0, whole);
    if (written && writer.used > whole) {
        if (writer.direct && !setDirect(writer.fd, false)) written = false;
        writer.direct = false;
        written = written && writeOut(writer, whole, writer.used - whole);
    }
    int saved = errno;
    std::free(writer.block);
    writer.block = nullptr;
    errno = saved;
    return written;
}
