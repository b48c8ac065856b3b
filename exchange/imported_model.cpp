// The imported model turned into the program's model, or into the text of
// its Kestrune OFF file.
#include <cstdint>
#include <limits>

#include "exchange/contained_import.h"
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

std::string importedOffText(const ImportedModel& model) {
    size_t vertexCount = model.positions.size() / 3;
    size_t faceCount = model.corners.size() / 4;
    std::string text = "OFF  \n " + std::to_string(vertexCount) + "  " + std::to_string(faceCount) + "\n";
    text.reserve(text.size() + vertexCount * 49 + faceCount * 48);
    char field[16];
    for (size_t v = 0; v < vertexCount; ++v) {
        for (int k = 0; k < 3; ++k) {
            text += ' ';
            double value = static_cast<double>(model.positions[3 * v + k]);
            text.append(field, static_cast<size_t>(formatCoordinateField(value, field)));
        }
        text += '\n';
    }
    for (size_t f = 0; f < faceCount; ++f) {
        const int32_t* c = &model.corners[4 * f];
        text += c[3] < 0 ? " 3" : " 4";
        for (int k = 0; k < (c[3] < 0 ? 3 : 4); ++k) {
            text += ' ';
            text += std::to_string(c[k]);
        }
        text += '\n';
    }
    return text;
}
