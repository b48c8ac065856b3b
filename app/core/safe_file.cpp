#include "app/core/safe_file.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool writeAll(int fd, const std::string& contents) {
    const char* data = contents.data();
    size_t left = contents.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) return false;
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

bool replaceFileContents(const std::string& path, const std::string& contents) {
    return replaceFileWith(path, [&contents](int fd) { return writeAll(fd, contents); });
}

bool replaceFileWith(const std::string& path, const std::function<bool(int fd)>& writeContents) {
    std::string temporary = path + ".XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    // mkstemp creates the file readable by its owner only; give it the usual
    // permissions of a new file.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    bool written = writeContents(fd) && ::fsync(fd) == 0;
    written = (::close(fd) == 0) && written;
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}
