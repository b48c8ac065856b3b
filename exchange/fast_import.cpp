#include "exchange/fast_import.h"

#include <assimp/fast_atof.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/paths.h"
#include "exchange/confined_path.h"

namespace {

// Thrown by the library's number parser on what it refuses.
struct NumberRefused {
    template <typename... Parts>
    explicit NumberRefused(Parts&&...) {}
};

// A coordinate exactly as the library's OBJ reader reads it.
float libraryFloat(const char* text) {
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

bool openReader(BlockReader& reader, const std::string& folder, const std::string& path) {
    std::string problem;
    reader.fd = openInsideFolder(folder, path, problem);
    struct stat status;
    if (reader.fd < 0 || ::fstat(reader.fd, &status) != 0) return false;
    reader.size = static_cast<uint64_t>(status.st_size);
    return true;
}

bool readExactly(int fd, void* into, size_t size) {
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

// Joins the position of a corner; false for a coordinate that is not finite
// (left to the library's path, which says so).
bool joinFinite(SceneMerger& merger, const float p[3], int32_t& joined) {
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return false;
    joined = joinVertex(merger, p[0], p[1], p[2]);
    return true;
}

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

std::vector<std::string_view> wordsOf(std::string_view line) {
    std::vector<std::string_view> words;
    size_t k = 0;
    while (k < line.size()) {
        while (k < line.size() && (line[k] == ' ' || line[k] == '\t' || line[k] == '\r')) ++k;
        size_t start = k;
        while (k < line.size() && line[k] != ' ' && line[k] != '\t' && line[k] != '\r') ++k;
        if (k > start) words.push_back(line.substr(start, k - start));
    }
    return words;
}

// Binary little-endian PLY of the common layout: vertices whose first three
// properties are float x, y, z followed only by other fixed-size numbers, and
// one face list of uchar counts and int or uint corners. The library keeps
// the vertices in file order.
struct PlyLayout {
    uint64_t vertexCount = 0;
    uint64_t faceCount = 0;
    size_t vertexStride = 0;
    bool hasTextureCoordinates = false;
};

size_t plyScalarSize(std::string_view type) {
    if (type == "char" || type == "uchar" || type == "int8" || type == "uint8") return 1;
    if (type == "short" || type == "ushort" || type == "int16" || type == "uint16") return 2;
    if (type == "int" || type == "uint" || type == "float" || type == "int32" || type == "uint32" || type == "float32") return 4;
    if (type == "double" || type == "float64") return 8;
    return 0;
}

bool readPlyHeader(std::string_view header, PlyLayout& layout) {
    auto nextLine = [&header](std::string_view& line) {
        size_t end = header.find('\n');
        if (end == std::string_view::npos) return false;
        line = header.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        header.remove_prefix(end + 1);
        return true;
    };
    std::string_view line;
    if (!nextLine(line) || line != "ply" || !nextLine(line) || line != "format binary_little_endian 1.0") {
        return false;
    }
    int element = 0;  // 1 vertex, 2 face
    size_t vertexProperties = 0, faceProperties = 0;
    const char* const axes[3] = {"x", "y", "z"};
    while (nextLine(line)) {
        std::vector<std::string_view> words = wordsOf(line);
        if (words.empty() || words[0] == "comment" || words[0] == "obj_info") continue;
        if (words[0] == "end_header") {
            return vertexProperties >= 3 && faceProperties == 1 && layout.vertexCount > 0 && layout.faceCount > 0;
        }
        if (words[0] == "element" && words.size() == 3) {
            uint64_t count = std::strtoull(std::string(words[2]).c_str(), nullptr, 10);
            if (element == 0 && words[1] == "vertex") element = 1, layout.vertexCount = count;
            else if (element == 1 && words[1] == "face") element = 2, layout.faceCount = count;
            else return false;
            continue;
        }
        if (words[0] != "property") return false;
        if (element == 1 && words.size() == 3) {
            size_t size = plyScalarSize(words[1]);
            if (size == 0) return false;
            if (vertexProperties < 3 && (words[1] != "float" || words[2] != axes[vertexProperties])) return false;
            for (const char* name : {"u", "v", "s", "t", "texture_u", "texture_v", "texture_s", "texture_t"}) {
                layout.hasTextureCoordinates |= words[2] == name;
            }
            layout.vertexStride += size;
            ++vertexProperties;
        } else if (element == 2 && words.size() == 5 && words[1] == "list" && words[2] == "uchar" &&
                   (words[3] == "int" || words[3] == "uint") &&
                   (words[4] == "vertex_indices" || words[4] == "vertex_index")) {
            ++faceProperties;
        } else {
            return false;
        }
    }
    return false;
}

// The rest of the file after the header, in blocks.
class ByteStream {
public:
    ByteStream(int fd, std::vector<char> pending) : fd(fd), buffer(std::move(pending)) {}
    bool take(void* into, size_t size) {
        char* out = static_cast<char*>(into);
        while (size > 0) {
            if (at == buffer.size()) {
                buffer.resize(size_t{1} << 20);
                ssize_t got;
                do {
                    got = ::read(fd, buffer.data(), buffer.size());
                } while (got < 0 && errno == EINTR);
                if (got <= 0) return false;
                buffer.resize(static_cast<size_t>(got));
                at = 0;
            }
            size_t part = std::min(size, buffer.size() - at);
            std::memcpy(out, buffer.data() + at, part);
            out += part;
            at += part;
            size -= part;
        }
        return true;
    }

private:
    int fd;
    std::vector<char> buffer;
    size_t at = 0;
};

FastImport readBinaryPly(BlockReader& file, SceneMerger& merger, ImportedModel& model) {
    // The header is text: find its end in the first block.
    std::vector<char> head(64 * 1024);
    ssize_t got = ::read(file.fd, head.data(), head.size());
    if (got <= 0) return FastImport::NotHandled;
    head.resize(static_cast<size_t>(got));
    std::string_view text(head.data(), head.size());
    size_t end = text.find("end_header\n");
    if (text.substr(0, 4) != "ply\n" || end == std::string_view::npos) return FastImport::NotHandled;
    size_t bodyStart = end + 11;
    PlyLayout layout;
    if (!readPlyHeader(text.substr(0, bodyStart), layout)) return FastImport::NotHandled;
    ::lseek(file.fd, static_cast<off_t>(bodyStart), SEEK_SET);
    uint64_t leastBody = layout.vertexCount * layout.vertexStride + layout.faceCount * 13;
    if (layout.vertexCount > INT32_MAX || layout.faceCount > INT32_MAX || bodyStart + leastBody > file.size) {
        return FastImport::NotHandled;
    }
    ByteStream body(file.fd, {});
    startMerging(merger, layout.vertexCount);
    std::vector<int32_t> joined(layout.vertexCount);
    std::vector<char> vertex(layout.vertexStride);
    for (uint64_t v = 0; v < layout.vertexCount; ++v) {
        float p[3];
        if (!body.take(vertex.data(), vertex.size())) return FastImport::NotHandled;
        std::memcpy(p, vertex.data(), sizeof p);
        if (!joinFinite(merger, p, joined[v])) return FastImport::NotHandled;
    }
    std::vector<int32_t> corners;
    for (uint64_t f = 0; f < layout.faceCount; ++f) {
        uint8_t n = 0;
        if (!body.take(&n, 1) || n < 3) return FastImport::NotHandled;
        corners.resize(n);
        if (!body.take(corners.data(), 4 * static_cast<size_t>(n))) return FastImport::NotHandled;
        for (int32_t& c : corners) {
            if (c < 0 || static_cast<uint64_t>(c) >= layout.vertexCount) return FastImport::NotHandled;
            c = joined[static_cast<size_t>(c)];
        }
        addPolygon(merger.merged, corners.data(), n);
    }
    model.hadTextureCoordinates = layout.hasTextureCoordinates;
    return FastImport::Read;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

bool startsWord(std::string_view line, std::string_view word) {
    return line.substr(0, word.size()) == word && line.size() > word.size() &&
           (line[word.size()] == ' ' || line[word.size()] == '\t');
}

// The picture named by `map_Kd` in the block of `material` of an MTL file;
// false when the file holds what only the library reads (options, other
// spellings), so that the library takes the whole model.
bool mtlTexture(const std::string& folder, const std::string& library, const std::string& material,
                std::string& picture) {
    BlockReader file;
    if (!openReader(file, folder, folder + "/" + library)) return false;
    LineReader lines(file.fd);
    std::string_view line;
    bool inBlock = false, found = false;
    while (lines.next(line)) {
        line = trimmed(line);
        if (startsWord(line, "newmtl")) {
            std::string_view name = trimmed(line.substr(6));
            inBlock = name == material;
            found |= inBlock;
        } else if (inBlock && startsWord(line, "map_Kd")) {
            std::string_view name = trimmed(line.substr(6));
            if (name.empty() || name[0] == '-') return false;
            picture = std::string(name);
        } else if (inBlock && (line.substr(0, 6) == "map_kd" || line.substr(0, 6) == "map_KD")) {
            return false;
        }
    }
    return found && !lines.failed;
}

// OBJ of one object and one material: object, group and material lines only
// before the first face, faces of three corners or more, positions of three
// numbers (six with a colour) read by the library's own parser. The library
// gives each face corner a vertex of its own, in face order.
struct ObjState {
    std::vector<float> positions;  // as read, x y z
    size_t textureCoordinates = 0; // vt lines
    bool cornersHaveTexture = false;
    bool sawFace = false;
    std::string material;
    std::string library;
};

bool objVertex(std::string_view line, ObjState& obj) {
    std::vector<std::string_view> words = wordsOf(line.substr(1));
    if (words.size() != 3 && words.size() != 6) return false;
    for (std::string_view word : words) {
        char c = word[0];
        if (!((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.')) return false;
    }
    for (int k = 0; k < 3; ++k) obj.positions.push_back(libraryFloat(words[static_cast<size_t>(k)].data()));
    return true;
}

// Corner numbers of a face line (from 1, negative from the end); false for
// what the library alone reads.
bool objFace(std::string_view line, ObjState& obj, std::vector<int64_t>& corners) {
    std::vector<std::string_view> words = wordsOf(line.substr(1));
    if (words.size() < 3) return false;
    corners.clear();
    int64_t count = static_cast<int64_t>(obj.positions.size() / 3);
    for (std::string_view word : words) {
        size_t slash = word.find('/');
        std::string number(word.substr(0, slash));
        char* end = nullptr;
        long long v = std::strtoll(number.c_str(), &end, 10);
        if (number.empty() || *end != '\0' || v == 0) return false;
        v = v > 0 ? v - 1 : count + v;
        if (v < 0 || v >= count) return false;
        corners.push_back(v);
        if (slash != std::string_view::npos && slash + 1 < word.size() && word[slash + 1] != '/') {
            obj.cornersHaveTexture = true;
        }
    }
    return true;
}

bool readObjLine(std::string_view line, ObjState& obj, SceneMerger& merger, std::vector<int64_t>& corners,
                 std::vector<int32_t>& joined) {
    if (trimmed(line).empty() || line[0] == '#') return true;
    if (line.back() == '\\') return false;  // continued lines
    if (startsWord(line, "v")) return objVertex(line, obj);
    if (startsWord(line, "vt")) return ++obj.textureCoordinates, true;
    if (startsWord(line, "vn") || startsWord(line, "s")) return true;
    if (startsWord(line, "f")) {
        if (!objFace(line, obj, corners)) return false;
        if (!obj.sawFace) startMerging(merger, obj.positions.size());
        obj.sawFace = true;
        joined.resize(corners.size());
        for (size_t k = 0; k < corners.size(); ++k) {
            if (!joinFinite(merger, &obj.positions[3 * static_cast<size_t>(corners[k])], joined[k])) return false;
        }
        addPolygon(merger.merged, joined.data(), joined.size());
        return true;
    }
    if (obj.sawFace) return false;  // a second object, group or material
    if (startsWord(line, "o") || startsWord(line, "g")) return true;
    if (startsWord(line, "usemtl")) return obj.material = std::string(trimmed(line.substr(6))), true;
    if (startsWord(line, "mtllib")) return obj.library.empty() && !(obj.library = std::string(trimmed(line.substr(6)))).empty();
    return false;
}

FastImport readSimpleObj(BlockReader& file, const std::string& folder, SceneMerger& merger, ImportedModel& model,
                         std::string& textureProblem) {
    LineReader lines(file.fd);
    ObjState obj;
    std::vector<int64_t> corners;
    std::vector<int32_t> joined;
    std::string_view line;
    try {
        while (lines.next(line)) {
            if (!readObjLine(line, obj, merger, corners, joined)) return FastImport::NotHandled;
        }
    } catch (const NumberRefused&) {
        return FastImport::NotHandled;  // a number the library's parser refuses
    }
    if (lines.failed || !obj.sawFace) return FastImport::NotHandled;
    model.hadTextureCoordinates = obj.textureCoordinates > 0 && obj.cornersHaveTexture;
    std::string picture;
    if (obj.material.empty() || obj.library.empty()) {
        textureProblem = noDiffuseTexture;
    } else if (!mtlTexture(folder, obj.library, obj.material, picture)) {
        return FastImport::NotHandled;
    } else if (picture.empty()) {
        textureProblem = noDiffuseTexture;
    } else {
        TextureFile texture;
        if (readModelTexture(folder, picture, texture, textureProblem)) model.texture = std::move(texture);
    }
    return FastImport::Read;
}

}  // namespace

FastImport importFast(const std::string& path, const std::string& folder, MergedScene& merged,
                      ImportedModel& model, std::string& textureProblem) {
    std::string extension = lowerExtensionOf(path);
    if (extension != "stl" && extension != "ply" && extension != "obj") return FastImport::NotHandled;
    BlockReader file;
    if (!openReader(file, folder, path)) return FastImport::NotHandled;
    SceneMerger merger;
    ImportedModel found;
    std::string problem;
    FastImport result = FastImport::NotHandled;
    if (extension == "stl") {
        result = readBinaryStl(file, merger);
        problem = noDiffuseTexture;
    } else if (extension == "ply") {
        result = readBinaryPly(file, merger, found);
        problem = noDiffuseTexture;
    } else {
        result = readSimpleObj(file, folder, merger, found, problem);
    }
    if (result != FastImport::Read) return result;
    merged = std::move(merger.merged);
    model.texture = std::move(found.texture);
    model.hadTextureCoordinates = found.hadTextureCoordinates;
    textureProblem = problem;
    return result;
}
