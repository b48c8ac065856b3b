// Fuzzes the texture decoder: no input may crash it, read out of bounds or
// end the process through libjpeg's error handler; decoding the same bytes
// from memory and from a file must give the same result and the same image.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "core/jpeg_decode.h"

namespace {

TextureImage fromMemory;
TextureImage fromFile;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

const std::string& scratchFile() {
    static const std::string path = "/tmp/kestrune-fuzz-texture-" + std::to_string(getpid()) + ".jpg";
    return path;
}

bool writeScratch(const uint8_t* data, size_t size) {
    FILE* file = std::fopen(scratchFile().c_str(), "wb");
    if (file == nullptr) return false;
    bool written = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::memset(fromMemory, 0, sizeof fromMemory);
    std::memset(fromFile, 0, sizeof fromFile);
    TextureLoad inMemory = decodeJpegTextureBytes(data, size, fromMemory);
    require(inMemory != TextureLoad::CannotOpen, "bytes in memory always open");
    require(textureLoadMessage(inMemory) != nullptr, "a message for every result");
    if (!writeScratch(data, size)) return 0;
    TextureLoad inFile = decodeJpegTexture(scratchFile().c_str(), fromFile);
    std::remove(scratchFile().c_str());
    require(inFile == inMemory, "same result from a file and from memory");
    if (inMemory == TextureLoad::Loaded || inMemory == TextureLoad::Corrupt) {
        require(std::memcmp(fromMemory, fromFile, sizeof fromMemory) == 0, "same image from a file and from memory");
    }
    return 0;
}
