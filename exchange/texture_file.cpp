#include "exchange/texture_file.h"

#include <csetjmp>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <jpeglib.h>

#include "app/core/safe_file.h"

namespace {

constexpr unsigned textureSide = 256;

struct JpegErrors {
    jpeg_error_mgr standard;
    std::jmp_buf recovery;
};

void jumpBack(j_common_ptr info) {
    std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->recovery, 1);
}

void stayQuiet(j_common_ptr, int) {}

bool readWhole(const std::string& path, std::string& bytes) {
    std::error_code ignored;
    if (!std::filesystem::is_regular_file(path, ignored)) return false;
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

}  // namespace

// The header checks of the window's texture loader: size, then three
// colour components.
std::string textureProblem(const std::string& bytes) {
    jpeg_decompress_struct info;
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.standard);
    errors.standard.error_exit = jumpBack;
    errors.standard.emit_message = stayQuiet;
    jpeg_create_decompress(&info);
    if (setjmp(errors.recovery) != 0) {
        jpeg_destroy_decompress(&info);
        return "ce n'est pas une image JPEG lisible";
    }
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&info, TRUE);
    std::string problem;
    if (info.image_width != textureSide || info.image_height != textureSide) {
        problem = "l'image fait " + std::to_string(info.image_width) + " x " +
                  std::to_string(info.image_height) + " pixels au lieu de 256 x 256";
    } else if (info.jpeg_color_space != JCS_YCbCr && info.jpeg_color_space != JCS_RGB) {
        problem = "l'image n'est pas en couleurs";
    }
    jpeg_destroy_decompress(&info);
    return problem;
}

bool readTextureFile(const std::string& path, TextureFile& into, std::string& problem) {
    TextureFile read;
    read.name = std::filesystem::path(path).filename().string();
    if (!readWhole(path, read.bytes)) {
        problem = "lecture impossible de « " + path + " »";
        return false;
    }
    problem = textureProblem(read.bytes);
    if (!problem.empty()) {
        problem = "« " + path + " » : " + problem;
        return false;
    }
    into = std::move(read);
    return true;
}

bool usableTextureName(const std::string& name) {
    if (name.empty() || name.size() > 123 || name == "." || name == "..") return false;
    for (char c : name) {
        if (c == ' ' || (c >= '\t' && c <= '\r') || c == '/' || c == '\0') return false;
    }
    return true;
}

bool placeTextureBeside(const std::string& modelPath, const TextureFile& texture, std::string& problem,
                        bool write) {
    std::filesystem::path folder = std::filesystem::path(modelPath).parent_path();
    std::string target = (folder / texture.name).string();
    std::error_code ignored;
    if (std::filesystem::exists(target, ignored)) {
        std::string present;
        if (readWhole(target, present) && present == texture.bytes) return true;
        problem = "« " + target + " » existe déjà avec un autre contenu et reste tel quel";
        return false;
    }
    if (write && !replaceFileContents(target, texture.bytes)) {
        problem = "écriture impossible de « " + target + " »";
        return false;
    }
    return true;
}
