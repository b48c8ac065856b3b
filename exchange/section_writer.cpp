#include "exchange/section_writer.h"

#include <cassert>
#include <algorithm>
#include <memory>

namespace {

constexpr size_t sliceSize = 256;

size_t longestRecord(const FileSections& sections) {
    size_t longest = 0;
    for (const Section& section : sections) longest = section.longest > longest ? section.longest : longest;
    return longest;
}

// A run of records has a count and, when it has records, a writer and room
// for one record.
[[maybe_unused]] bool wellFormed(const FileSections& sections) {
    for (const Section& section : sections) {
        if (section.count < 0 || (section.count > 0 && (section.longest == 0 || !section.append))) return false;
    }
    return true;
}

}  // namespace

Section bytesSection(std::string bytes) {
    auto held = std::make_shared<std::string>(std::move(bytes));
    int64_t count = static_cast<int64_t>((held->size() + sliceSize - 1) / sliceSize);
    return {count, sliceSize, [held](char* out, int64_t k) {
                size_t at = static_cast<size_t>(k) * sliceSize;
                size_t length = std::min(sliceSize, held->size() - at);
                std::memcpy(out, held->data() + at, length);
                return out + length;
            }};
}

Section zerosSection(size_t count) {
    return {count > 0 ? 1 : 0, count, [count](char* out, int64_t) {
                std::memset(out, 0, count);
                return out + count;
            }};
}

bool writeSections(const FileSections& sections, const OffTextSink& sink, size_t pieceSize, bool* memoryExhausted) {
    assert(wellFormed(sections));
    size_t longest = longestRecord(sections);
    size_t section = 0;
    int64_t record = 0;
    auto fill = [&](char* begin, char* end, bool& done) {
        char* out = begin;
        for (; section < sections.size(); ++section, record = 0) {
            const Section& run = sections[section];
            for (; record < run.count; ++record) {
                if (static_cast<size_t>(end - out) < run.longest) return out;
                out = run.append(out, record);
            }
        }
        done = true;
        return out;
    };
    return writePieces(fill, sink, pieceSize > longest ? pieceSize : longest, memoryExhausted);
}

std::string sectionsText(const FileSections& sections) {
    assert(wellFormed(sections));
    std::string text;
    size_t used = 0;
    for (const Section& section : sections) {
        for (int64_t k = 0; k < section.count; ++k) {
            if (text.size() - used < section.longest) text.resize(2 * text.size() + section.longest);
            used = static_cast<size_t>(section.append(text.data() + used, k) - text.data());
        }
    }
    text.resize(used);
    return text;
}
