// The imported model turned into the program's model, or into the text of
// its Kestrune OFF file.
#include <cstdint>
#include <limits>

#include "exchange/contained_import.h"
#include "exchange/imported_model.h"
#include "mesh/off_reader.h"
#include "mesh/off_writer.h"

bool installImportedModel(const ImportedModel& model, Mesh& into, bool* memoryExhausted) {
    if (memoryExhausted != nullptr) *memoryExhausted = false;
    const size_t countLimit = static_cast<size_t>(std::numeric_limits<int32_t>::max());
    if (model.positions.size() % 3 != 0 || model.corners.size() % 4 != 0 || model.positions.size() / 3 > countLimit ||
        model.corners.size() / 4 > countLimit) {
        return false;
    }
    return readOffNumbers(model.positions.data(), static_cast<int32_t>(model.positions.size() / 3),
                          model.corners.data(), static_cast<int32_t>(model.corners.size() / 4), into,
                          memoryExhausted);
}

FileSections importedOffFile(const ImportedModel& model, const std::string& textureName) {
    OffArrays arrays;
    arrays.vertexCount = static_cast<int64_t>(model.positions.size() / 3);
    arrays.faceCount = static_cast<int64_t>(model.corners.size() / 4);
    // Interleaved: x y z per vertex, a b c d per face.
    if (arrays.vertexCount > 0) {
        arrays.x = model.positions.data();
        arrays.y = arrays.x + 1;
        arrays.z = arrays.x + 2;
    }
    arrays.vertexStride = 3;
    if (arrays.faceCount > 0) {
        arrays.a = model.corners.data();
        arrays.b = arrays.a + 1;
        arrays.c = arrays.a + 2;
        arrays.d = arrays.a + 3;
    }
    arrays.faceStride = 4;
    return offFileSections(arrays, OffStyle::Kestrune, textureName);
}

std::string importedOffText(const ImportedModel& model, const std::string& textureName) {
    return sectionsText(importedOffFile(model, textureName));
}
