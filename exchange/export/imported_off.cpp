// The Kestrune OFF file of an imported model, made from its numbers.
#include <cstdint>

#include "exchange/export/imported_off.h"
#include "mesh/off_writer.h"

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
