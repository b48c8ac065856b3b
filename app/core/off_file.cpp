#include "app/core/off_file.h"

#include <cerrno>
#include <unistd.h>

#include "app/core/safe_file.h"
#include "mesh/off_writer.h"

namespace {

bool writeAllTo(int fd, const char* data, size_t size) {
    while (size > 0) {
        ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written < 0) return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

}  // namespace

OffSaveResult saveOffFile(const std::string& path, const Mesh& m) {
    bool memoryExhausted = false;
    bool saved = replaceFileWith(path, [&](int fd) {
        return writeOffText(
            m, [fd](const char* data, size_t size) { return writeAllTo(fd, data, size); }, offTextChunkSize,
            &memoryExhausted);
    });
    if (saved) return OffSaveResult::Saved;
    return memoryExhausted ? OffSaveResult::MemoryExhausted : OffSaveResult::WriteFailed;
}
