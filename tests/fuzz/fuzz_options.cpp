// Fuzzes the options text: it must read as the C library's fscanf reads it,
// and what is written after clamping must read back the same.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/options.h"

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

Options readWithLibrary(const std::string& text) {
    Options read{};
    std::FILE* file = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    if (file == nullptr) return read;  // fmemopen refuses an empty buffer
    std::vector<char> word(text.size() + 2);
    int values[6] = {0, 0, 0, 0, 0, 0};
    int dropped = 0;
    for (int& value : values) std::fscanf(file, "%s %d %s %d", word.data(), &dropped, word.data(), &value);
    std::fscanf(file, "%s %s %ld", word.data(), word.data(), &read.uniformColor);
    std::fclose(file);
    read.vertexCreation = values[0], read.textureSize = values[1], read.commonBase = values[2];
    read.faceModification = values[3], read.animation = values[4], read.transparency = values[5];
    return read;
}

bool same(const Options& a, const Options& b) {
    return a.vertexCreation == b.vertexCreation && a.textureSize == b.textureSize && a.commonBase == b.commonBase &&
           a.faceModification == b.faceModification && a.animation == b.animation &&
           a.transparency == b.transparency && a.uniformColor == b.uniformColor;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    Options parsed = parseOptionsText(text);
    if (!text.empty()) require(same(parsed, readWithLibrary(text)), "reads as fscanf");
    options = parsed;
    clampOptions();
    Options clamped = options;
    require(clamped.vertexCreation >= 1 && clamped.vertexCreation <= 2, "vertexCreation range");
    require(clamped.textureSize >= 1, "textureSize range");
    require(clamped.commonBase >= 1 && clamped.commonBase <= 3, "commonBase range");
    require(same(parseOptionsText(formatOptionsText(clamped)), clamped), "written options read back");
    return 0;
}
