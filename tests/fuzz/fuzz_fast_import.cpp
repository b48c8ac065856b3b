// Reads one file by Kestrune's short readers and by the library, in one
// process, and requires the same model whenever the short readers take the
// file: vertices (bit for bit), faces in their order, texture, flags, notes.
//
// Input: the first byte chooses the extension (stl, ply, obj) and the picture
// written beside the model as t.jpg (none, a usable 256 x 256 one, a 16 x 16
// one); the rest is the model, and what follows a line "--mtl--" is written
// beside it as m.mtl.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "exchange/scene/confined_path.h"
#include "exchange/reader/fast_import.h"
#include "exchange/reader/model_import.h"

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

std::string fileText(const char* path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

struct Scratch {
    std::string folder;
    std::string goodPicture, smallPicture;
};

Scratch& scratch() {
    static Scratch made = [] {
        Scratch s;
        // A folder of a fixed name for runs that must repeat themselves (the
        // paths are compared by the code under test), a fresh one otherwise.
        if (const char* named = std::getenv("KESTRUNE_FUZZ_SCRATCH"); named != nullptr && named[0] != '\0') {
            s.folder = named;
        } else {
            char pattern[] = "/tmp/kestrune-fuzz-fast-XXXXXX";
            require(::mkdtemp(pattern) != nullptr, "a scratch folder");
            s.folder = pattern;
        }
        s.goodPicture = fileText(KESTRUNE_FUZZ_PICTURE);
        s.smallPicture = fileText(KESTRUNE_FUZZ_SMALL_PICTURE);
        require(!s.goodPicture.empty() && !s.smallPicture.empty(), "the pictures");
        return s;
    }();
    return made;
}

void put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const char* const extensions[] = {"stl", "ply", "obj"};
    Scratch& s = scratch();
    for (const char* name : {"m.stl", "m.ply", "m.obj", "m.mtl", "t.jpg"}) ::unlink((s.folder + "/" + name).c_str());

    std::string path = s.folder + "/m." + extensions[data[0] % 3];
    std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string separator = "\n--mtl--\n";
    size_t split = bytes.find(separator);
    if (split != std::string::npos) {
        put(s.folder + "/m.mtl", bytes.substr(split + separator.size()));
        bytes.resize(split + 1);
    }
    put(path, bytes);
    int picture = data[0] / 3 % 3;
    if (picture == 1) put(s.folder + "/t.jpg", s.goodPicture);
    if (picture == 2) put(s.folder + "/t.jpg", s.smallPicture);

    // The library 5.2.5 skips a binary PLY's first body byte when it is 0x0a
    // (a line end to it) and reads every number one byte late; the short
    // reader keeps the file's own model there, and nothing is compared.
    if (data[0] % 3 == 1) {
        size_t body = bytes.find("end_header\n");
        if (body != std::string::npos && body + 11 < bytes.size() && bytes[body + 11] == '\n') return 0;
    }

    // As the import child: a shortage of memory ends the import, nothing else
    // may escape.
    try {
        std::string problem;
        MergedScene merged;
        ImportedModel probe;
        if (importFast(path, modelFolder(path, problem), merged, probe, problem) != FastImport::Read) return 0;

        ImportedModel fast, library;
        std::string fastFailure, libraryFailure;
        bool fastRead = importModel(path, fast, fastFailure);
        bool libraryRead = importModel(path, library, libraryFailure, true);
        require(fastRead == libraryRead, "both paths read the file, or neither");
        require(fastFailure == libraryFailure, "the same failure");
        require(sameBits(fast.positions, library.positions), "the same vertices");
        require(fast.corners == library.corners, "the same faces");
        require(fast.hadTextureCoordinates == library.hadTextureCoordinates, "the same texture coordinates flag");
        require(fast.notes == library.notes, "the same notes");
        require(fast.quietNotes == library.quietNotes, "the same quiet notes");
        require(fast.texture.has_value() == library.texture.has_value(), "a texture on both paths or neither");
        if (fast.texture) {
            require(fast.texture->name == library.texture->name, "the same texture name");
            require(fast.texture->bytes == library.texture->bytes, "the same texture bytes");
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    return 0;
}
