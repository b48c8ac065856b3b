#include "core/regular_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int openRegularFileForReading(const std::string& path) {
    // O_NONBLOCK: opening a FIFO without a writer would otherwise wait.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat status;
    int problem = 0;
    if (::fstat(fd, &status) != 0) {
        problem = errno;
    } else if (!S_ISREG(status.st_mode)) {
        problem = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
    } else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        problem = errno;
    }
    if (problem != 0) {
        ::close(fd);
        errno = problem;
        return -1;
    }
    return fd;
}
