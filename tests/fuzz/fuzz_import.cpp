// Fuzzes the import through the library from memory, with the confined file
// access (no other file can be read): no input may crash our code or read out
// of bounds, and an accepted scene must give an OFF text the program's own
// reader takes, with its faces naming its vertices.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "exchange/export/imported_off.h"
#include "exchange/import/contained_import.h"
#include "exchange/scene/import_wire.h"
#include "exchange/reader/model_import.h"
#include "mesh/mesh.h"
#include "mesh/off_reader.h"

namespace {

// The first byte chooses the reader, the rest is the file.
const char* const extensions[] = {"obj", "ply", "stl", "gltf", "glb", "off", "dae", "fbx", "x", "3ds", "ogex", "ase"};

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    std::string name = std::string("model.") + extensions[data[0] % std::size(extensions)];
    std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    ImportedModel model;
    std::string failure;
    // As the import child: a shortage of memory ends the import (its memory
    // exit code), nothing else may escape.
    try {
        if (!importModelFromMemory(bytes, name, model, failure)) {
            require(!failure.empty(), "a failure says why");
            return 0;
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    ImportedModel back;
    std::string noFailure;
    require(decodeImport(encodeImport(model, ""), back, noFailure) && noFailure.empty(), "frame reads back");
    require(back.positions == model.positions && back.corners == model.corners, "frame keeps the model");
    std::string text = importedOffText(model);
    if (installImportedModel(model, mesh)) {
        // The model is the one its Kestrune OFF text reads as.
        Mesh fromText;
        require(readOffText(text.data(), text.size(), fromText), "the text reads back");
        require(fromText.vertexCount == mesh.vertexCount && fromText.faceCount == mesh.faceCount, "same counts");
        for (int32_t v = 0; v < mesh.vertexCount; ++v) {
            require(fromText.vertexX[v] == mesh.vertexX[v] && fromText.vertexY[v] == mesh.vertexY[v] &&
                        fromText.vertexZ[v] == mesh.vertexZ[v],
                    "same vertices");
        }
        std::swap(fromText, mesh);
        freeModel();
        std::swap(fromText, mesh);
        require(meshIsConsistent(mesh), "faces name vertices of the model");
        freeModel();
    }
    return 0;
}
