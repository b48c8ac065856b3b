#include "tools/png_file.h"

#include <png.h>

#include <cerrno>
#include <cstring>

#include "core/safe_file.h"

bool writePngFile(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb,
                  std::string& problem) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    if (rgb.size() != PNG_IMAGE_SIZE(image)) {
        problem = "image incomplète";
        return false;
    }
    // The first call measures, the second encodes.
    png_alloc_size_t size = 0;
    std::string encoded;
    bool done = png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr) != 0;
    if (done) {
        encoded.resize(size);
        done = png_image_write_to_memory(&image, encoded.data(), &size, 0, rgb.data(), 0, nullptr) != 0;
        encoded.resize(size);
    }
    if (!done) {
        problem = std::string("codage PNG impossible : ") + image.message;
        png_image_free(&image);
        return false;
    }
    errno = 0;
    if (!replaceFileContents(path, encoded)) {
        problem = "écriture impossible de « " + path + " »" +
                  (errno != 0 ? std::string(" : ") + std::strerror(errno) : std::string());
        return false;
    }
    return true;
}
