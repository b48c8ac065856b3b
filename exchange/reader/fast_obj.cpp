// OBJ of one object and one material read without the library.
#include <strings.h>

#include <utility>

#include "exchange/reader/fast_reading.h"

namespace {

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

}  // namespace

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
