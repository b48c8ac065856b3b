#include "mesh/off_file.h"

#include "mesh/off_writer.h"

OffSaveResult saveOffFile(const std::string& path, const Mesh& m, const std::vector<FileReplacement>& companions) {
    bool memoryExhausted = false;
    auto writeText = [&](int fd) {
        return writeSectionsToFile(fd, meshOffSections(m), offTextChunkSize, &memoryExhausted);
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
