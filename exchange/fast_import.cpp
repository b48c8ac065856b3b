#include "exchange/fast_import.h"

#include <assimp/fast_atof.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
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

bool openReader(BlockReader& reader, const std::string& folder, const std::string& path,
                FileRole role = FileRole::Companion) {
    std::string problem;
    reader.fd = openInsideFolder(folder, path, problem, role);
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

// The words of a line, between blanks and tabs, into `words` (emptied
// first). False for a line that is not plain text: a control character other
// than a tab (the library ends its lines at CR, NUL and form feed too, and
// takes vertical tabs for blanks) or a backslash (which joins lines), so that
// the line is left to the library.
// Each byte's part in a line: 0 in a word, 1 a blank, 2 refused.
constexpr std::array<uint8_t, 256> byteClasses = [] {
    std::array<uint8_t, 256> classes{};
    for (int c = 0; c < 0x20; ++c) classes[static_cast<size_t>(c)] = 2;
    classes[0x7f] = 2;
    classes['\\'] = 2;
    classes[' '] = 1;
    classes['\t'] = 1;
    return classes;
}();

bool plainWords(std::string_view line, std::vector<std::string_view>& words) {
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
bool plainNumber(std::string_view word) {
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

// An element count as written: digits without a sign or leading zero.
bool plyCount(std::string_view word, uint64_t& count) {
    if (word.empty() || word.size() > 10 || word[0] == '0') return false;
    count = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return false;
        count = 10 * count + static_cast<uint64_t>(c - '0');
    }
    return true;
}

// Vertex properties beside x, y, z that the library gives no meaning the
// model depends on, and the pairs it reads as texture coordinates. Any other
// name (tx, ty, texture_s, texture_t among them, which the library does not
// read as the short readers did) is left to the library.
bool plyVertexProperty(std::string_view name, std::vector<std::string_view>& texture) {
    for (const char* known : {"nx", "ny", "nz", "red", "green", "blue", "alpha", "diffuse_red", "diffuse_green",
                              "diffuse_blue", "quality", "confidence", "intensity", "radius"}) {
        if (name == known) return true;
    }
    for (const char* known : {"u", "v", "s", "t", "texture_u", "texture_v"}) {
        if (name == known) {
            texture.push_back(name);
            return true;
        }
    }
    return false;
}

bool readPlyHeader(std::string_view header, PlyLayout& layout) {
    auto nextLine = [&header](std::string_view& line) {
        size_t end = header.find('\n');
        if (end == std::string_view::npos) return false;
        line = header.substr(0, end);
        header.remove_prefix(end + 1);
        return true;
    };
    std::string_view line;
    if (!nextLine(line) || line != "ply" || !nextLine(line) || line != "format binary_little_endian 1.0") {
        return false;
    }
    int element = 0;  // 1 vertex, 2 face
    size_t vertexProperties = 0, faceProperties = 0;
    std::vector<std::string_view> words, names, texture;
    const char* const axes[3] = {"x", "y", "z"};
    while (nextLine(line)) {
        if (!plainWords(line, words) || words.empty()) return false;
        if (words[0] == "comment" || words[0] == "obj_info") {
            // The library takes a picture from a "TextureFile" comment.
            for (size_t k = 0; k + 11 <= line.size(); ++k) {
                if (strncasecmp(line.data() + k, "texturefile", 11) == 0) return false;
            }
            if (line.substr(0, words[0].size() + 1) != std::string(words[0]) + " " && line != words[0]) return false;
            continue;
        }
        // Fields one blank apart, as every exporter writes them.
        size_t length = words.size() - 1;
        for (std::string_view word : words) length += word.size();
        if (length != line.size()) return false;
        if (words[0] == "end_header") {
            if (words.size() != 1 || element != 2) return false;
            if (texture.size() == 2) {
                std::string pair = std::string(texture[0]) + " " + std::string(texture[1]);
                if (pair != "u v" && pair != "s t" && pair != "texture_u texture_v") return false;
                layout.hasTextureCoordinates = true;
            } else if (!texture.empty()) {
                return false;
            }
            return vertexProperties >= 3 && faceProperties == 1 && layout.vertexCount > 0 && layout.faceCount > 0;
        }
        if (words[0] == "element" && words.size() == 3) {
            uint64_t count = 0;
            if (!plyCount(words[2], count)) return false;
            if (element == 0 && words[1] == "vertex") element = 1, layout.vertexCount = count;
            else if (element == 1 && words[1] == "face") element = 2, layout.faceCount = count;
            else return false;
            continue;
        }
        if (words[0] != "property") return false;
        if (element == 1 && words.size() == 3) {
            size_t size = plyScalarSize(words[1]);
            if (size == 0) return false;
            for (std::string_view name : names) {
                if (name == words[2]) return false;  // a property named twice
            }
            names.push_back(words[2]);
            if (vertexProperties < 3) {
                if (words[1] != "float" || words[2] != axes[vertexProperties]) return false;
            } else if (!plyVertexProperty(words[2], texture)) {
                return false;
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
    // The body is read from its first byte, whatever it is. (The library
    // 5.2.5 skips a first body byte 0x0a, a line end to it, and reads every
    // number one byte late: there the library is wrong and this reading keeps
    // the file's own model.)
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

// "keyword name": the keyword, one blank, one name without blanks, nothing
// after it. The library reads the rest of such a line in ways of its own
// (blanks inside or after a name kept by one keyword, trimmed by another);
// a line of any other shape is left to it.
bool namedLine(std::string_view line, std::string_view keyword, std::string_view& name) {
    if (line.size() <= keyword.size() + 1 || line.substr(0, keyword.size()) != keyword ||
        line[keyword.size()] != ' ') {
        return false;
    }
    name = line.substr(keyword.size() + 1);
    return name.find_first_of(" \t") == std::string_view::npos;
}

// "keyword n1 ... nk" with k plain numbers.
bool numbersLine(const std::vector<std::string_view>& words, size_t least, size_t most) {
    if (words.size() < least + 1 || words.size() > most + 1) return false;
    for (size_t k = 1; k < words.size(); ++k) {
        if (!plainNumber(words[k])) return false;
    }
    return true;
}

bool caseStarts(std::string_view line, const char* word) {
    size_t length = std::strlen(word);
    return line.size() >= length && strncasecmp(line.data(), word, length) == 0;
}

// The materials of an MTL file in their order, each with the picture its
// `map_Kd` names (the last one, as the library keeps it). False when the file
// holds what only the library reads: options, other spellings, lines before
// the first material, numbers it might refuse.
struct MtlMaterial {
    std::string name;
    std::string picture;
};

bool mtlMaterials(const std::string& folder, const std::string& library, std::vector<MtlMaterial>& materials) {
    BlockReader file;
    if (!openReader(file, folder, folder + "/" + library)) return false;
    LineReader lines(file.fd);
    std::string_view line;
    std::vector<std::string_view> words;
    while (lines.next(line)) {
        if (!plainWords(line, words)) return false;
        if (words.empty() || line[0] == '#') continue;
        if (line[0] == ' ' || line[0] == '\t') return false;
        std::string_view name;
        if (namedLine(line, "newmtl", name)) {
            if (name == "DefaultMaterial") return false;
            for (const MtlMaterial& m : materials) {
                if (m.name == name) return false;
            }
            materials.push_back({std::string(name), {}});
            continue;
        }
        if (materials.empty()) return false;
        if (namedLine(line, "map_Kd", name)) {
            if (name[0] == '-') return false;
            materials.back().picture = std::string(name);
            continue;
        }
        if (caseStarts(line, "map_kd") || caseStarts(line, "ne")) return false;
        std::string_view key = words[0];
        bool plain = false;
        if (key == "Ka" || key == "Kd" || key == "Ks" || key == "Ke" || key == "Tf") plain = numbersLine(words, 3, 3);
        else if (key == "Ns" || key == "Ni" || key == "d" || key == "Tr") plain = numbersLine(words, 1, 1);
        else if (key == "illum") plain = words.size() == 2 && words[1].size() < 3 && words[1].find_first_not_of("0123456789") == std::string_view::npos;
        if (!plain) return false;
    }
    return !lines.failed;
}

// OBJ of one object and one material: object, group and material lines only
// before the first face, faces of three corners or more, all of one shape
// (v, v/t, v/t/n or v//n), positions of three numbers (six with a colour)
// read by the library's own parser. The library gives each face corner a
// vertex of its own, in face order.
struct ObjState {
    std::vector<float> positions;  // as read, x y z
    size_t textureCoordinates = 0; // vt lines
    size_t normals = 0;            // vn lines
    int shape = -1;                // of the faces' corners: bit 0 texture, bit 1 normal
    bool sawFace = false;
    bool sawObject = false, sawGroup = false;
    std::string material;
    std::string library;
    std::vector<std::string_view> words;  // of the line being read
};

bool objVertex(const std::vector<std::string_view>& words, ObjState& obj) {
    if (!numbersLine(words, 3, 3) && !numbersLine(words, 6, 6)) return false;
    for (int k = 1; k <= 3; ++k) obj.positions.push_back(libraryFloat(words[static_cast<size_t>(k)].data()));
    return true;
}

// An OBJ index as written: an optional minus sign and up to nine digits, not
// starting with 0 (the library reads "01" or "+3" as two numbers).
bool objIndex(std::string_view text, size_t count, int64_t& index) {
    bool negative = !text.empty() && text[0] == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty() || text.size() > 9 || text[0] == '0') return false;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = 10 * value + (c - '0');
    }
    index = negative ? static_cast<int64_t>(count) - value : value - 1;
    return index >= 0 && index < static_cast<int64_t>(count);
}

// Corner numbers of a face line (from 1, negative from the end); false for
// what the library alone reads.
bool objFace(const std::vector<std::string_view>& words, ObjState& obj, std::vector<int64_t>& corners) {
    if (words.size() < 4) return false;
    corners.clear();
    size_t count = obj.positions.size() / 3;
    for (size_t w = 1; w < words.size(); ++w) {
        std::string_view word = words[w];
        size_t first = word.find('/');
        std::string_view vertex = word.substr(0, first), texture, normal;
        int shape = 0;
        if (first != std::string_view::npos) {
            std::string_view rest = word.substr(first + 1);
            size_t second = rest.find('/');
            texture = rest.substr(0, second);
            if (second != std::string_view::npos) {
                normal = rest.substr(second + 1);
                if (normal.empty()) return false;
            } else if (texture.empty()) {
                return false;
            }
            shape = (texture.empty() ? 0 : 1) | (normal.empty() ? 0 : 2);
        }
        if (obj.shape >= 0 && shape != obj.shape) return false;
        obj.shape = shape;
        int64_t v = 0, unused = 0;
        if (!objIndex(vertex, count, v)) return false;
        if (!texture.empty() && !objIndex(texture, obj.textureCoordinates, unused)) return false;
        if (!normal.empty() && !objIndex(normal, obj.normals, unused)) return false;
        corners.push_back(v);
    }
    return true;
}

bool readObjLine(std::string_view line, ObjState& obj, SceneMerger& merger, std::vector<int64_t>& corners,
                 std::vector<int32_t>& joined) {
    std::vector<std::string_view>& words = obj.words;
    if (!plainWords(line, words)) return false;
    if (words.empty() || line[0] == '#') return true;
    if (line[0] == ' ' || line[0] == '\t') return false;  // the library skips such a line
    const std::string_view key = words[0];
    if (key == "v") return objVertex(words, obj);
    if (key == "vt") return numbersLine(words, 2, 3) && (++obj.textureCoordinates, true);
    if (key == "vn") return numbersLine(words, 3, 3) && (++obj.normals, true);
    if (key == "s") return words.size() == 2;
    if (key == "f") {
        if (!objFace(words, obj, corners)) return false;
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
    std::string_view name;
    if (namedLine(line, "o", name)) return !std::exchange(obj.sawObject, true);
    if (namedLine(line, "g", name)) return !std::exchange(obj.sawGroup, true);
    if (namedLine(line, "usemtl", name)) {
        if (!obj.material.empty()) return false;
        obj.material = std::string(name);
        return true;
    }
    if (namedLine(line, "mtllib", name)) {
        // Before any material is named, once.
        if (!obj.library.empty() || !obj.material.empty()) return false;
        obj.library = std::string(name);
        return true;
    }
    return false;
}

// The library refuses an OBJ file shorter than this.
constexpr uint64_t objLeastSize = 16;

FastImport readSimpleObj(BlockReader& file, const std::string& folder, SceneMerger& merger, ImportedModel& model,
                         std::string& textureProblem) {
    if (file.size < objLeastSize) return FastImport::NotHandled;
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
    model.hadTextureCoordinates = obj.textureCoordinates > 0 && (obj.shape & 1) != 0;
    if (obj.library.empty()) {
        textureProblem = noDiffuseTexture;
        return FastImport::Read;
    }
    std::vector<MtlMaterial> materials;
    if (!mtlMaterials(folder, obj.library, materials) || materials.empty()) return FastImport::NotHandled;
    // The material named by usemtl; without one, the library gives the
    // faces the material read last.
    const MtlMaterial* used = &materials.back();
    if (!obj.material.empty()) {
        used = nullptr;
        for (const MtlMaterial& m : materials) {
            if (m.name == obj.material) used = &m;
        }
        if (used == nullptr) return FastImport::NotHandled;
    }
    if (used->picture.empty()) {
        textureProblem = noDiffuseTexture;
    } else {
        TextureFile texture;
        if (readModelTexture(folder, used->picture, texture, textureProblem)) model.texture = std::move(texture);
    }
    return FastImport::Read;
}

}  // namespace

FastImport importFast(const std::string& path, const std::string& folder, MergedScene& merged,
                      ImportedModel& model, std::string& textureProblem) {
    std::string extension = lowerExtensionOf(path);
    if (extension != "stl" && extension != "ply" && extension != "obj") return FastImport::NotHandled;
    BlockReader file;
    if (!openReader(file, folder, path, FileRole::Model)) return FastImport::NotHandled;
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
