// Applies the import child's own restriction, then tries one thing the test
// names and says by its exit code whether the kernel let it happen:
//   sandbox_probe FOLDER ACTION PATH
// 10: it happened; 0: refused (EACCES, EPERM, ENOSYS, EXDEV); 1: it failed
// otherwise; a process killed by SIGSYS was refused by the system call
// filter. 2: the restriction itself could not be applied; 3: the system
// call filter is off in this build (a sanitizer's).
#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "exchange/reader/reader_sandbox.h"

extern char** environ;

namespace {

bool readFile(const char* path) {
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char byte;
    bool read = ::read(fd, &byte, 1) >= 0;
    ::close(fd);
    return read;
}

bool attempt(const std::string& action, const char* path) {
    if (action == "read") return readFile(path);
    if (action == "create") return ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644) >= 0;
    if (action == "write") return ::open(path, O_WRONLY | O_CLOEXEC) >= 0;
    if (action == "unlink") return ::unlink(path) == 0;
    if (action == "truncate") return ::truncate(path, 0) == 0;
    if (action == "rename") return ::rename(path, (std::string(path) + ".moved").c_str()) == 0;
    if (action == "link") return ::link(path, (std::string(path) + ".linked").c_str()) == 0;
    if (action == "chmod") return ::chmod(path, 0777) == 0;
    if (action == "connect") {
        int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(9);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    if (action == "exec") {
        pid_t pid;
        char* argv[] = {const_cast<char*>(path), nullptr};
        if (::posix_spawn(&pid, path, nullptr, nullptr, argv, environ) != 0) return false;
        int status = 0;
        return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    if (action == "kill") return ::kill(::getppid(), 0) == 0;
    errno = EINVAL;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    ReaderConfinement held = confineReader(argv[1]);
    if (!held.noNewPrivileges) return 2;
    if (!held.syscallFilter) return 3;
    if (attempt(argv[2], argv[3])) return 10;
    return errno == EACCES || errno == EPERM || errno == ENOSYS || errno == EXDEV ? 0 : 1;
}
