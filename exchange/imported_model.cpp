// The imported model turned into the program's model, or into the text of
// its Kestrune OFF file.
#include <charconv>
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
    const int64_t vertexCount = static_cast<int64_t>(model.positions.size() / 3);
    const int64_t faceCount = static_cast<int64_t>(model.corners.size() / 4);
    const float* positions = model.positions.data();
    const int32_t* corners = model.corners.data();
    FileSections sections;
    sections.push_back(bytesSection("OFF  " + textureName + "\n " + std::to_string(vertexCount) + "  " +
                                    std::to_string(faceCount) + "\n"));
    sections.push_back({vertexCount, 49, [positions](char* out, int64_t v) {
                            for (int k = 0; k < 3; ++k) {
                                *out++ = ' ';
                                out += formatCoordinateField(static_cast<double>(positions[3 * v + k]), out);
                            }
                            *out++ = '\n';
                            return out;
                        }});
    sections.push_back({faceCount, 3 + 4 * 12 + 1, [corners](char* out, int64_t f) {
                            const int32_t* c = corners + 4 * f;
                            const int n = c[3] < 0 ? 3 : 4;
                            *out++ = ' ';
                            *out++ = n == 3 ? '3' : '4';
                            for (int k = 0; k < n; ++k) {
                                *out++ = ' ';
                                out = std::to_chars(out, out + 11, c[k]).ptr;
                            }
                            *out++ = '\n';
                            return out;
                        }});
    return sections;
}

std::string importedOffText(const ImportedModel& model, const std::string& textureName) {
    return sectionsText(importedOffFile(model, textureName));
}
