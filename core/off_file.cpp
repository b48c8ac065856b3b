#include "core/off_file.h"

#include <fcntl.h>

#include "mesh/off_writer.h"

OffSaveResult saveOffFile(const std::string& path, const Mesh& m, const std::vector<FileReplacement>& companions) {
    bool memoryExhausted = false;
    auto writeText = [&](int fd) {
        off_t written = 0;
        auto sink = [fd, &written](const char* data, size_t size) {
            if (!writeAllTo(fd, data, size)) return false;
            // Start the disk writes of this piece now, while the next ones are
            // made: the flush that ends the save then has little left to wait for.
            ::sync_file_range(fd, written, static_cast<off_t>(size), SYNC_FILE_RANGE_WRITE);
            written += static_cast<off_t>(size);
            return true;
        };
        return writeOffText(m, sink, offTextChunkSize, &memoryExhausted);
    };
    bool saved = false;
    if (companions.empty()) {
        saved = replaceFileWith(path, writeText);
    } else {
        std::vector<FileReplacement> set = companions;
        set.push_back({path, writeText});
        saved = replaceFilesTogether(set);
    }
    if (saved) return OffSaveResult::Saved;
    return memoryExhausted ? OffSaveResult::MemoryExhausted : OffSaveResult::WriteFailed;
}
