#include "core/safe_file.h"

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
#include <vector>

#include "core/paths.h"

namespace {

constexpr std::string_view temporaryPrefix = ".kestrune-";
constexpr int linkHopLimit = 40;  // as the kernel's own limit on nested links
constexpr time_t staleSeconds = 60;

// Whether the kernel's rule for shared folders (fs.protected_symlinks) lets
// this user follow `link`: in a sticky folder anyone may write to, only the
// user's own links and those of the folder's owner are followed, so that a
// link planted in /tmp cannot turn a save onto another file. EACCES if not.
bool mayFollow(const std::string& link, const struct stat& status) {
    struct stat folder;
    if (::stat(folderOf(link).c_str(), &folder) != 0) return false;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    if (!shared || status.st_uid == ::geteuid() || status.st_uid == folder.st_uid) return true;
    errno = EACCES;
    return false;
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
        if (!mayFollow(target, status)) return false;
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
        if (fd >= 0) return fd;
        if (errno != EEXIST) break;
    }
    named.clear();  // not ours to remove
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
    // The change time, not the modification time: a backup is a new link to
    // an old file, and linking it changed its inode just now.
    return processGone || std::time(nullptr) - status.st_ctime > staleSeconds;
}

// A file of a set on its way: its target, the finished temporary `named`
// beside it and, while later files may still fail, `backup`, a second name
// of the old target.
struct PendingFile {
    std::string target;
    std::string folder;
    bool exists = false;
    struct stat old {};
    int unnamed = -1;  // the finished file, still without a name
    int heldOld = -1;  // the old target, held open while names change
    std::string named;
    std::string backup;
};

bool resolveForReplacing(const std::string& path, PendingFile& file) {
    if (!resolveTarget(path, file.target, file.exists, file.old)) return false;
    if (file.exists && !mayReplace(file.target, file.old)) return false;
    file.folder = folderOf(file.target);
    return true;
}

// Two names of the set that lead to one file (a .mtl that is a link to its
// own .obj): writing both would leave one file holding either.
bool sameFileTwice(const std::vector<PendingFile>& files) {
    for (size_t k = 0; k < files.size(); ++k) {
        for (size_t j = 0; j < k; ++j) {
            bool sameInode = files[j].exists && files[k].exists && files[j].old.st_dev == files[k].old.st_dev &&
                             files[j].old.st_ino == files[k].old.st_ino;
            if (sameInode || files[j].target == files[k].target) return true;
        }
    }
    return false;
}

bool folderSeenBefore(const std::vector<PendingFile>& files, size_t k) {
    for (size_t j = 0; j < k; ++j) {
        if (files[j].folder == files[k].folder) return true;
    }
    return false;
}

// Writes, identifies and flushes the new contents in the target's folder:
// an unnamed file, kept open, where the file system has them (it disappears
// with the process if the set is never finished), else a named temporary.
// On failure nothing is left and errno tells why.
bool writeTemporary(const std::function<bool(int fd)>& writeContents, PendingFile& file) {
    int fd = ::open(file.folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    const bool unnamed = fd >= 0;
    if (!unnamed && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) fd = createNamed(file.folder, file.named);
    if (fd < 0) return false;
    bool done = false;
    try {
        done = writeContents(fd) && giveIdentity(fd, file.exists, file.old) && ::fsync(fd) == 0;
    } catch (...) {
        ::close(fd);
        throw;
    }
    if (done && unnamed) {
        file.unnamed = fd;
        return true;
    }
    int failure = done ? 0 : errno;
    if (::close(fd) != 0 && done) {
        done = false;
        failure = errno;
    }
    errno = failure;
    return done;
}

// Once every file of the set is written: each unnamed one gets its
// temporary name, just before the renames.
bool nameUnnamed(PendingFile& file) {
    if (file.unnamed < 0) return true;
    bool named = linkUnnamed(file.unnamed, file.folder, file.named);
    int failure = errno;
    ::close(file.unnamed);
    file.unnamed = -1;
    errno = failure;
    return named;
}

bool copyAll(int from, int to) {
    std::vector<char> buffer(1 << 16);
    for (;;) {
        ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return got == 0;
        if (!writeAllTo(to, buffer.data(), static_cast<size_t>(got))) return false;
    }
}

// A copy of the old target under a temporary name, for file systems
// without hard links.
bool copyToBackup(PendingFile& file) {
    int from = ::open(file.target.c_str(), O_RDONLY | O_CLOEXEC);
    if (from < 0) return false;
    int to = createNamed(file.folder, file.backup);
    bool done = to >= 0 && copyAll(from, to) && giveIdentity(to, true, file.old);
    int failure = errno;
    ::close(from);
    if (to >= 0) ::close(to);
    errno = failure;
    return done;
}

// Keeps the old target reachable under a temporary name, so that it can be
// put back: a second hard link to it, or else a copy.
bool keepBackup(PendingFile& file) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        file.backup = temporaryName(file.folder);
        if (::link(file.target.c_str(), file.backup.c_str()) == 0) return true;
        if (errno != EEXIST) break;
    }
    file.backup.clear();
    return copyToBackup(file);
}

// After a failed rename: the first `renamed` targets get their old file
// back, or disappear where there was none. A backup that cannot be put back
// stays where it is, the only copy of the old contents.
void putBackOld(std::vector<PendingFile>& files, size_t renamed) {
    for (size_t k = renamed; k-- > 0;) {
        PendingFile& file = files[k];
        if (!file.exists) ::unlink(file.target.c_str());
        else (void)std::rename(file.backup.c_str(), file.target.c_str());
        file.backup.clear();
    }
}

// Removes a name at once: a big old file's blocks are freed only when the
// descriptor held meanwhile is closed, after the name is gone, so that a
// process killed then leaves no name behind.
void removeName(const std::string& name) {
    int held = ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    ::unlink(name.c_str());
    if (held >= 0) ::close(held);
}

void removeLeftovers(std::vector<PendingFile>& files) {
    for (PendingFile& file : files) {
        if (file.unnamed >= 0) ::close(file.unnamed);
        file.unnamed = -1;
        if (!file.named.empty()) ::unlink(file.named.c_str());
        if (!file.backup.empty()) removeName(file.backup);
        file.named.clear();
        file.backup.clear();
    }
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
    return replaceFilesTogether({FileReplacement{path, writeContents}});
}

bool replaceFilesTogether(const std::vector<FileReplacement>& files) {
    std::vector<PendingFile> pending(files.size());
    for (size_t k = 0; k < files.size(); ++k) {
        if (!resolveForReplacing(files[k].path, pending[k])) return false;
    }
    if (sameFileTwice(pending)) {
        errno = EINVAL;
        return false;
    }
    for (size_t k = 0; k < pending.size(); ++k) {
        if (!folderSeenBefore(pending, k)) removeStaleTemporaries(pending[k].folder);
    }
    bool done = true;
    try {
        for (size_t k = 0; done && k < files.size(); ++k) done = writeTemporary(files[k].writeContents, pending[k]);
    } catch (...) {
        removeLeftovers(pending);
        throw;
    }
    for (size_t k = 0; done && k < pending.size(); ++k) done = nameUnnamed(pending[k]);
    // The old targets' blocks are freed only once the new names are in
    // place and every temporary name is gone (see removeName).
    for (PendingFile& file : pending) {
        if (file.exists) file.heldOld = ::open(file.target.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    }
    // Only a file renamed before another one may need its old contents back.
    for (size_t k = 0; done && k + 1 < pending.size(); ++k) done = !pending[k].exists || keepBackup(pending[k]);
    size_t renamed = 0;
    while (done && renamed < pending.size()) {
        done = std::rename(pending[renamed].named.c_str(), pending[renamed].target.c_str()) == 0;
        if (done) pending[renamed++].named.clear();
    }
    const int failure = errno;
    if (!done) putBackOld(pending, renamed);
    removeLeftovers(pending);
    for (PendingFile& file : pending) {
        if (file.heldOld >= 0) ::close(file.heldOld);
    }
    if (!done) {
        errno = failure;
        return false;
    }
    for (size_t k = 0; k < pending.size(); ++k) {
        if (!folderSeenBefore(pending, k)) syncFolder(pending[k].folder);
    }
    return true;
}

bool replaceFileContents(const std::string& path, const std::string& contents) {
    return replaceFileWith(path, [&](int fd) { return writeAllTo(fd, contents.data(), contents.size()); });
}
