#include "exchange/scene/confined_path.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/landlock.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

std::string realPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return {};
    return resolved;
}

// `real` relative to `folder` (both resolved), or empty when it lies outside.
std::string beneath(const std::string& folder, const std::string& real) {
    if (folder == "/") return real.size() > 1 ? real.substr(1) : std::string();
    if (real.size() <= folder.size() + 1 || real.compare(0, folder.size(), folder) != 0 ||
        real[folder.size()] != '/') {
        return {};
    }
    return real.substr(folder.size() + 1);
}

// Opens `relative` under the folder descriptor without ever leaving it, even
// if a link is swapped in meanwhile; O_NONBLOCK so that a FIFO cannot block.
int openBeneath(int folderFd, const std::string& relative) {
    open_how how{};
    how.flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    long fd = ::syscall(SYS_openat2, folderFd, relative.c_str(), &how, sizeof how);
    if (fd >= 0 || errno != ENOSYS) return static_cast<int>(fd);
    // Older kernels: the path was checked resolved just before.
    return ::openat(folderFd, relative.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW);
}

}  // namespace

std::string modelFolder(const std::string& modelPath, std::string& problem) {
    std::string real = realPath(modelPath);
    if (real.empty()) {
        problem = "« " + modelPath + " » : " + std::strerror(errno);
        return {};
    }
    size_t slash = real.find_last_of('/');
    return slash == 0 ? std::string("/") : real.substr(0, slash);
}

int openInsideFolder(const std::string& folder, const std::string& path, std::string& problem, FileRole role) {
    std::string realFolder = folder.empty() ? std::string() : realPath(folder);
    std::string real = realPath(path);
    if (real.empty() || realFolder.empty()) {
        problem = "« " + path + " » introuvable";
        return -1;
    }
    std::string relative = beneath(realFolder, real);
    if (relative.empty()) {
        problem = "« " + path + " » est hors du dossier du modèle";
        return -1;
    }
    // Not even opened when it is not a regular file: opening a device may act.
    struct stat status;
    if (::stat(real.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        problem = "« " + path + " » n'est pas un fichier ordinaire";
        return -1;
    }
    int folderFd = ::open(realFolder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    int fd = folderFd < 0 ? -1 : openBeneath(folderFd, relative);
    if (folderFd >= 0) ::close(folderFd);
    if (fd < 0 || ::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        problem = fd < 0 ? "« " + path + " » : " + std::strerror(errno)
                         : "« " + path + " » n'est pas un fichier ordinaire";
        if (fd >= 0) ::close(fd);
        return -1;
    }
    if (role == FileRole::Companion && status.st_nlink > 1 && status.st_uid != ::geteuid()) {
        problem = "« " + path + " » porte d'autres noms et appartient à un autre utilisateur : refusé";
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

int landlockAbiVersion() {
    long abi = ::syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    return abi > 0 ? static_cast<int>(abi) : 0;
}
