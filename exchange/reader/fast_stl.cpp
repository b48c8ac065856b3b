// Binary STL read without the library.
#include "exchange/reader/fast_reading.h"

// Binary STL: an 80-byte header, a count, then 50 bytes per triangle (normal,
// three corners, two attribute bytes); the library takes a file as binary
// exactly when its size says so, and gives each triangle corners of its own.
FastImport readBinaryStl(BlockReader& file, SceneMerger& merger) {
    char head[84];
    if (file.size < 84 || !readExactly(file.fd, head, sizeof head)) return FastImport::NotHandled;
    uint32_t count = 0;
    std::memcpy(&count, head + 80, sizeof count);
    if (count == 0 || 84 + 50 * static_cast<uint64_t>(count) != file.size) return FastImport::NotHandled;
    startMerging(merger, 3 * static_cast<size_t>(count));
    merger.merged.corners.reserve(4 * static_cast<size_t>(count));
    std::vector<char> block(50 * 4096);
    for (uint32_t done = 0; done < count;) {
        uint32_t batch = std::min<uint32_t>(count - done, 4096);
        if (!readExactly(file.fd, block.data(), 50 * static_cast<size_t>(batch))) return FastImport::NotHandled;
        for (uint32_t t = 0; t < batch; ++t) {
            float corners[9];
            std::memcpy(corners, block.data() + 50 * static_cast<size_t>(t) + 12, sizeof corners);
            int32_t joined[3];
            for (int k = 0; k < 3; ++k) {
                if (!joinFinite(merger, corners + 3 * k, joined[k])) return FastImport::NotHandled;
            }
            addPolygon(merger.merged, joined, 3);
        }
        done += batch;
    }
    return FastImport::Read;
}
