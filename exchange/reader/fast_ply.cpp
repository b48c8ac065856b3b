// Binary little-endian PLY read without the library.
#include <algorithm>
#include <strings.h>

#include <utility>

#include "exchange/reader/fast_reading.h"

namespace {

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

}  // namespace

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
    // Room for every vertex and a face of four corners each, taken at once
    // rather than grown (each growth copies and touches new pages); the
    // counts are bounded by the file's size, checked above.
    merger.keys.reserve(layout.vertexCount);
    merger.merged.positions.reserve(3 * layout.vertexCount);
    merger.merged.corners.reserve(4 * layout.faceCount);
    std::vector<int32_t> joined(layout.vertexCount);
    std::vector<char> vertex(layout.vertexStride);
    // Joined a block at a time, so that the table lookups overlap.
    constexpr size_t block = 256;
    float points[3 * block];
    for (uint64_t first = 0; first < layout.vertexCount; first += block) {
        size_t count = static_cast<size_t>(std::min<uint64_t>(block, layout.vertexCount - first));
        for (size_t k = 0; k < count; ++k) {
            if (!body.take(vertex.data(), vertex.size())) return FastImport::NotHandled;
            std::memcpy(&points[3 * k], vertex.data(), 3 * sizeof(float));
            if (!isFinitePoint(&points[3 * k])) return FastImport::NotHandled;
        }
        joinVertices(merger, points, count, &joined[first]);
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
