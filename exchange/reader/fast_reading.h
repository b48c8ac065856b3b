// What Kestrune's own short readers of binary STL, binary PLY and simple OBJ
// share (fast_import.h): the library's number parser, reading in blocks, the
// plain words and numbers they take. Only the reader's own files include it.
#pragma once

#include <assimp/fast_atof.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "exchange/reader/fast_import.h"
#include "exchange/scene/confined_path.h"


// Thrown by the library's number parser on what it refuses.
struct NumberRefused {
    template <typename... Parts>
    explicit NumberRefused(Parts&&...) {}
};

// A coordinate exactly as the library's OBJ reader reads it.
inline float libraryFloat(const char* text) {
    ai_real value = 0;
    Assimp::fast_atoreal_move<ai_real, NumberRefused>(text, value);
    return static_cast<float>(value);
}

// Reads a file in blocks; `fd` is closed with it.
struct BlockReader {
    int fd = -1;
    uint64_t size = 0;
    ~BlockReader() {
        if (fd >= 0) ::close(fd);
    }
};

inline bool readExactly(int fd, void* into, size_t size) {
    char* at = static_cast<char*>(into);
    while (size > 0) {
        ssize_t got = ::read(fd, at, size);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        at += got;
        size -= static_cast<size_t>(got);
    }
    return true;
}

// Whether a position can be joined: a coordinate that is not finite is left
// to the library's path, which says so.
inline bool isFinitePoint(const float p[3]) {
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

// Joins the position of a corner; false for a position that is not finite.
inline bool joinFinite(SceneMerger& merger, const float p[3], int32_t& joined) {
    if (!isFinitePoint(p)) return false;
    joined = joinVertex(merger, p[0], p[1], p[2]);
    return true;
}

// Opens a file of the model for blocks to be read from it.
bool openReader(BlockReader& reader, const std::string& folder, const std::string& path,
                FileRole role = FileRole::Companion);

// Lines of a text file, read in blocks; a line is handed over without its
// end (LF, or CR LF).
class LineReader {
public:
    explicit LineReader(int fd) : fd(fd) {}
    // False at the end of the file or on a read error (then `failed`).
    bool next(std::string_view& line) {
        for (;;) {
            const char* start = buffer.data() + at;
            const void* end = std::memchr(start, '\n', filled - at);
            if (end != nullptr) {
                size_t length = static_cast<size_t>(static_cast<const char*>(end) - start);
                line = std::string_view(start, length);
                at += length + 1;
                if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
                return true;
            }
            if (ended) {
                if (at == filled) return false;
                line = std::string_view(start, filled - at);
                at = filled;
                return true;
            }
            refill();
        }
    }
    bool failed = false;

private:
    void refill() {
        std::memmove(buffer.data(), buffer.data() + at, filled - at);
        filled -= at;
        at = 0;
        if (buffer.size() - filled < blockSize) buffer.resize(filled + blockSize + 1);
        ssize_t got;
        do {
            got = ::read(fd, buffer.data() + filled, blockSize);
        } while (got < 0 && errno == EINTR);
        if (got < 0) failed = true;
        if (got <= 0) ended = true;
        else filled += static_cast<size_t>(got);
        buffer[filled] = '\0';  // the number parser stops there at the latest
    }
    static constexpr size_t blockSize = size_t{1} << 20;
    int fd;
    std::vector<char> buffer = std::vector<char>(blockSize + 1);
    size_t at = 0;
    size_t filled = 0;
    bool ended = false;
};

// The words of a line, between blanks and tabs, into `words` (emptied
// first). False for a line that is not plain text: a control character other
// than a tab (the library ends its lines at CR, NUL and form feed too, and
// takes vertical tabs for blanks) or a backslash (which joins lines), so that
// the line is left to the library.
// Each byte's part in a line: 0 in a word, 1 a blank, 2 refused.
inline constexpr std::array<uint8_t, 256> byteClasses = [] {
    std::array<uint8_t, 256> classes{};
    for (int c = 0; c < 0x20; ++c) classes[static_cast<size_t>(c)] = 2;
    classes[0x7f] = 2;
    classes['\\'] = 2;
    classes[' '] = 1;
    classes['\t'] = 1;
    return classes;
}();

inline bool plainWords(std::string_view line, std::vector<std::string_view>& words) {
    words.clear();
    const unsigned char* text = reinterpret_cast<const unsigned char*>(line.data());
    const size_t size = line.size();
    size_t k = 0;
    for (;;) {
        while (k < size && byteClasses[text[k]] == 1) ++k;
        if (k == size) return true;
        size_t start = k;
        while (k < size && byteClasses[text[k]] == 0) ++k;
        if (k < size && byteClasses[text[k]] == 2) return false;
        words.push_back(line.substr(start, k - start));
    }
}

// A decimal number as the exporters write it: an optional minus sign, digits,
// an optional fraction, an optional exponent. The library's parser reads
// more (a plus sign, a leading point, a comma, "nan", "inf"), not always as
// a number where the format wants one: those are left to it.
inline bool plainNumber(std::string_view word) {
    if (word.size() > 64) return false;
    size_t k = 0;
    if (k < word.size() && word[k] == '-') ++k;
    auto digits = [&word, &k] {
        size_t first = k;
        while (k < word.size() && word[k] >= '0' && word[k] <= '9') ++k;
        return k > first;
    };
    if (!digits()) return false;
    if (k < word.size() && word[k] == '.') {
        ++k;
        digits();
    }
    if (k < word.size() && (word[k] == 'e' || word[k] == 'E')) {
        ++k;
        if (k < word.size() && (word[k] == '-' || word[k] == '+')) ++k;
        if (!digits()) return false;
    }
    return k == word.size();
}

FastImport readBinaryStl(BlockReader& file, SceneMerger& merger);
FastImport readBinaryPly(BlockReader& file, SceneMerger& merger, ImportedModel& model);
FastImport readSimpleObj(BlockReader& file, const std::string& folder, SceneMerger& merger, ImportedModel& model,
                         std::string& textureProblem);
