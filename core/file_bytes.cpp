#include "core/file_bytes.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "core/regular_file.h"
#include "core/huge_pages.h"

namespace {

// A block of `bytes`; a large one gets the huge-page hint, as a big model
// file is read into it from end to end.
char* blockFor(size_t bytes) {
    char* block = static_cast<char*>(std::malloc(bytes > 0 ? bytes : 1));
    adviseHugePages(block, bytes);
    return block;
}

// Size of the open regular file, false when it cannot be had.
bool fileSize(int fd, size_t& size) {
    struct stat status;
    if (::fstat(fd, &status) != 0) return false;
    size = static_cast<size_t>(status.st_size);
    return true;
}

}  // namespace

bool readWholeFile(const std::string& path, FileBytes& bytes) {
    bytes = FileBytes{};
    int fd = openRegularFileForReading(path);
    if (fd < 0) return false;
    size_t size = 0;
    bool ok = fileSize(fd, size);
    char* block = ok ? blockFor(size) : nullptr;
    ok = block != nullptr;
    size_t got = 0;
    while (ok && got < size) {
        ssize_t part = ::read(fd, block + got, size - got);
        if (part < 0 && errno == EINTR) continue;
        if (part < 0) ok = false;
        if (part <= 0) break;  // at 0 the file shrank: take what it holds
        got += static_cast<size_t>(part);
    }
    int saved = errno;
    ::close(fd);
    errno = saved;
    if (!ok) {
        std::free(block);
        return false;
    }
    bytes.data = block;
    bytes.size = got;
    return true;
}

void releaseFileBytes(FileBytes& bytes) {
    std::free(bytes.data);
    bytes = FileBytes{};
}
