#include "core/file_bytes.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/regular_file.h"

namespace {

// A block of `bytes`, on ordinary pages: 2 MB pages made whole processes
// slower and less even here (a Loop job median 0.60 s against 0.48 s, runs
// spread over 0.42-0.66 s against 0.43-0.54 s), their first touch sometimes
// taking 100 ms for the 48 MB of a model file.
char* blockFor(size_t bytes) { return static_cast<char*>(std::malloc(bytes > 0 ? bytes : 1)); }

// Size of the open regular file, false when it cannot be had.
bool fileSize(int fd, size_t& size) {
    struct stat status;
    if (::fstat(fd, &status) != 0) return false;
    size = static_cast<size_t>(status.st_size);
    return true;
}

// Reads up to `size` bytes of `fd` into `block`; `got` tells how many (fewer
// when the file shrank). False on a read error.
bool readInto(int fd, char* block, size_t size, size_t& got) {
    got = 0;
    while (got < size) {
        ssize_t part = ::read(fd, block + got, size - got);
        if (part < 0 && errno == EINTR) continue;
        if (part < 0) return false;
        if (part == 0) break;  // the file shrank: take what it holds
        got += static_cast<size_t>(part);
    }
    return true;
}

// Closes `fd`, keeping errno as it was.
void closeKeepingErrno(int fd) {
    int saved = errno;
    ::close(fd);
    errno = saved;
}

// The open file `fd` read whole into a heap block; `fd` stays open.
bool readOpenFile(int fd, FileBytes& bytes) {
    size_t size = 0;
    char* block = fileSize(fd, size) ? blockFor(size) : nullptr;
    size_t got = 0;
    if (block == nullptr || !readInto(fd, block, size, got)) {
        std::free(block);
        return false;
    }
    bytes.data = block;
    bytes.size = got;
    return true;
}

}  // namespace

bool readWholeFile(const std::string& path, FileBytes& bytes) {
    bytes = FileBytes{};
    int fd = openRegularFileForReading(path);
    if (fd < 0) return false;
    bool read = readOpenFile(fd, bytes);
    closeKeepingErrno(fd);
    return read;
}

bool readWholeFile(const std::string& path, std::string& text) {
    text.clear();
    int fd = openRegularFileForReading(path);
    if (fd < 0) return false;
    size_t size = 0;
    bool ok = fileSize(fd, size);
    try {
        if (ok) text.resize(size);
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        ok = false;
    }
    size_t got = 0;
    ok = ok && readInto(fd, text.data(), size, got);
    closeKeepingErrno(fd);
    text.resize(ok ? got : 0);
    return ok;
}

namespace {

// The files mapped now. A page past the end of a file that shrank after it
// was mapped raises SIGBUS when read; the handler puts zero pages in place of
// the rest of that mapping and notes it, and the read goes on. Any other
// SIGBUS goes to the handler there was before.
struct MappedRange {
    std::atomic<uintptr_t> begin{0}, end{0};  // page-aligned; 0: slot free
    std::atomic<bool> shrank{false};
};
constexpr int mappingSlots = 8;
MappedRange mappedRanges[mappingSlots];
struct sigaction previousBusAction;
uintptr_t pageSize = 4096;  // the system's, read when the handler is installed

void onBusError(int signal, siginfo_t* info, void* context) {
    uintptr_t address = reinterpret_cast<uintptr_t>(info->si_addr);
    for (MappedRange& range : mappedRanges) {
        uintptr_t begin = range.begin.load(), end = range.end.load();
        if (begin == 0 || address < begin || address >= end) continue;
        uintptr_t page = address & ~(pageSize - 1);
        void* zeros = ::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
                             MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros != MAP_FAILED) {
            range.shrank.store(true);
            return;
        }
    }
    (void)context;
    // Not ours: the earlier handler, or the default end, takes it. A fault
    // comes again on return; a signal sent by a process is sent again.
    ::sigaction(SIGBUS, &previousBusAction, nullptr);
    if (info->si_code <= 0) ::raise(signal);
}

bool catchBusErrors() {
    static std::once_flag once;
    static bool installed = false;
    std::call_once(once, [] {
        pageSize = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction action{};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        installed = ::sigaction(SIGBUS, &action, &previousBusAction) == 0;
    });
    return installed;
}

int takeMappingSlot(uintptr_t begin, uintptr_t end) {
    for (int slot = 0; slot < mappingSlots; ++slot) {
        uintptr_t free = 0;
        if (!mappedRanges[slot].begin.compare_exchange_strong(free, begin)) continue;
        mappedRanges[slot].shrank.store(false);
        mappedRanges[slot].end.store(end);
        return slot;
    }
    return -1;
}

// Pages of `size` bytes: the mapping's length.
size_t mappedLength(size_t size) { return (size + pageSize - 1) / pageSize * pageSize; }

}  // namespace

bool mapWholeFile(const std::string& path, FileBytes& bytes) {
    bytes = FileBytes{};
    int fd = openRegularFileForReading(path);
    if (fd < 0) return false;
    size_t size = 0;
    void* mapped = MAP_FAILED;
    if (fileSize(fd, size) && size > 0 && catchBusErrors()) {
        // Read only: a writable private mapping would be copied page by page.
        mapped = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
    }
    int slot = -1;
    if (mapped != MAP_FAILED) {
        uintptr_t begin = reinterpret_cast<uintptr_t>(mapped);
        slot = takeMappingSlot(begin, begin + mappedLength(size));
        if (slot < 0) ::munmap(mapped, size);
    }
    if (slot < 0) {
        // Not mapped: read from the same open file (mmap left its offset at 0).
        bool read = readOpenFile(fd, bytes);
        closeKeepingErrno(fd);
        return read;
    }
    closeKeepingErrno(fd);
    bytes.data = static_cast<char*>(mapped);
    bytes.size = size;
    bytes.mapping = slot;
    return true;
}

bool fileBytesIntact(const FileBytes& bytes) {
    return bytes.mapping < 0 || !mappedRanges[bytes.mapping].shrank.load();
}

void releaseFileBytes(FileBytes& bytes) {
    if (bytes.mapping >= 0) {
        ::munmap(bytes.data, bytes.size);
        mappedRanges[bytes.mapping].end.store(0);
        mappedRanges[bytes.mapping].begin.store(0);
    } else {
        std::free(bytes.data);
    }
    bytes = FileBytes{};
}
