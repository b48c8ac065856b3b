#include "app/core/off_file.h"

#include "app/core/safe_file.h"
#include "mesh/off_writer.h"

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
