#include "app/core/safe_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <signal.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view temporaryPrefix = ".kestrune-";
constexpr int linkHopLimit = 40;  // as the kernel's own limit on nested links
constexpr time_t staleSeconds = 60;

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a chain of symbolic links ends at (or the path itself). `exists`
// tells whether something is there; `status` is its lstat.
bool resolveTarget(const std::string& path, std::string& target, bool& exists, struct stat& status) {
    target = path;
    for (int hop = 0;; ++hop) {
        if (::lstat(target.c_str(), &status) != 0) {
            if (errno != ENOENT) return false;
            exists = false;  // a new file, or the missing end of a dangling link
            return true;
        }
        if (!S_ISLNK(status.st_mode)) {
            exists = true;
            return true;
        }
        if (hop == linkHopLimit) {
            errno = ELOOP;
            return false;
        }
        std::string pointed(static_cast<size_t>(status.st_size > 0 ? status.st_size : 4096) + 1, '\0');
        ssize_t length = ::readlink(target.c_str(), pointed.data(), pointed.size());
        if (length < 0) return false;
        pointed.resize(static_cast<size_t>(length));
        target = pointed[0] == '/' ? pointed : folderOf(target) + "/" + pointed;
    }
}

// Only a regular file the user may write is replaced. Root passes every
// access() test, so a file with no write bit is refused explicitly.
bool mayReplace(const std::string& target, const struct stat& status) {
    if (!S_ISREG(status.st_mode)) {
        errno = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        return false;
    }
    if ((status.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
        errno = EACCES;
        return false;
    }
    return true;
}

// ".kestrune-PID-XXXXXX" in `folder`: short enough for any folder in which
// the target's own name fits.
std::string temporaryName(const std::string& folder) {
    static std::mt19937 random(std::random_device{}());
    const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string name = folder + "/" + std::string(temporaryPrefix) + std::to_string(::getpid()) + "-";
    for (int k = 0; k < 6; ++k) name += letters[random() % (sizeof letters - 1)];
    return name;
}

// Gives the finished unnamed file a temporary name; fails with EEXIST only
// after several tries.
bool linkUnnamed(int fd, const std::string& folder, std::string& named) {
    std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 8; ++attempt) {
        named = temporaryName(folder);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, named.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
        // Without /proc, a privileged process may still link the descriptor.
        if (errno == ENOENT && ::linkat(fd, "", AT_FDCWD, named.c_str(), AT_EMPTY_PATH) == 0) return true;
        if (errno != EEXIST) break;
    }
    named.clear();  // not ours to remove
    return false;
}

int createNamed(const std::string& folder, std::string& named) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        named = temporaryName(folder);
        int fd = ::open(named.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// The mode and group the new file takes: the old file's, or those of a new
// file. Changing the group is allowed to fail (a group the user is not in).
bool giveIdentity(int fd, bool exists, const struct stat& old) {
    if (!exists) {
        mode_t mask = ::umask(0);
        ::umask(mask);
        return ::fchmod(fd, 0666 & ~mask) == 0;
    }
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

void syncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // some file systems refuse it; the rename itself is done
    ::close(fd);
}

// The process id in a name of the form temporaryName makes, or 0 for any
// other name (never a file of the user's own).
long temporaryOwner(std::string_view name) {
    if (name.substr(0, temporaryPrefix.size()) != temporaryPrefix) return 0;
    name.remove_prefix(temporaryPrefix.size());
    size_t digits = 0;
    while (digits < name.size() && name[digits] >= '0' && name[digits] <= '9') ++digits;
    if (digits == 0 || digits > 9 || name.size() != digits + 7 || name[digits] != '-') return 0;
    for (char c : name.substr(digits + 1)) {
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return 0;
    }
    return std::strtol(std::string(name.substr(0, digits)).c_str(), nullptr, 10);
}

bool isStale(const std::string& folder, const char* name) {
    long pid = temporaryOwner(name);
    if (pid <= 0) return false;
    struct stat status;
    std::string path = folder + "/" + name;
    if (::lstat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    bool processGone = ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
    return processGone || std::time(nullptr) - status.st_mtime > staleSeconds;
}

}  // namespace

bool writeAllTo(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

void removeStaleTemporaries(const std::string& folder) {
    int savedErrno = errno;
    DIR* entries = ::opendir(folder.c_str());
    if (entries == nullptr) return;
    while (dirent* entry = ::readdir(entries)) {
        if (isStale(folder, entry->d_name)) ::unlink((folder + "/" + entry->d_name).c_str());
    }
    ::closedir(entries);
    errno = savedErrno;
}

bool replaceFileWith(const std::string& path, const std::function<bool(int fd)>& writeContents) {
    std::string target;
    bool exists = false;
    struct stat old;
    if (!resolveTarget(path, target, exists, old)) return false;
    if (exists && !mayReplace(target, old)) return false;
    const std::string folder = folderOf(target);
    removeStaleTemporaries(folder);

    // An unnamed file disappears with the process if the save never ends.
    std::string named;
    int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    const bool unnamed = fd >= 0;
    if (!unnamed && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) fd = createNamed(folder, named);
    if (fd < 0) return false;
    bool done = false;
    try {
        done = writeContents(fd) && giveIdentity(fd, exists, old) && ::fsync(fd) == 0 &&
               (!unnamed || linkUnnamed(fd, folder, named));
    } catch (...) {
        ::close(fd);
        if (!named.empty()) ::unlink(named.c_str());
        throw;
    }
    int failure = done ? 0 : errno;
    if (::close(fd) != 0 && done) {
        done = false;
        failure = errno;
    }
    if (done && std::rename(named.c_str(), target.c_str()) != 0) {
        done = false;
        failure = errno;
    }
    if (!done) {
        if (!named.empty()) ::unlink(named.c_str());
        errno = failure;
        return false;
    }
    syncFolder(folder);
    return true;
}

bool replaceFileContents(const std::string& path, const std::string& contents) {
    return replaceFileWith(path, [&](int fd) { return writeAllTo(fd, contents.data(), contents.size()); });
}
