#include "mesh/off_file.h"

#include "mesh/off_writer.h"

namespace {

OffSaveResult saveSections(const std::string& path, const FileSections& sections,
                           const std::vector<FileReplacement>& companions) {
    bool memoryExhausted = false;
    auto writeText = [&](int fd) { return writeSectionsToFile(fd, sections, offTextChunkSize, &memoryExhausted); };
    std::vector<FileReplacement> set = companions;
    set.push_back({path, writeText});
    bool saved = set.size() == 1 ? replaceFileWith(path, writeText) : replaceFilesTogether(set);
    if (saved) return OffSaveResult::Saved;
    return memoryExhausted ? OffSaveResult::MemoryExhausted : OffSaveResult::WriteFailed;
}

}  // namespace

OffSaveResult saveOffFile(const std::string& path, const Mesh& m) { return saveSections(path, meshOffSections(m), {}); }

OffSaveResult saveOffFileNaming(const std::string& path, const Mesh& m, const std::string& textureName,
                                const std::vector<FileReplacement>& companions) {
    return saveSections(path, offFileSections(meshOffArrays(m), OffStyle::Kestrune, textureName), companions);
}
