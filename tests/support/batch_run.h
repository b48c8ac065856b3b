// Running kestrune-batch as a process from a test, and reading what it
// wrote: files and PNG pictures.
#pragma once

#include <png.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::string shellQuoted(const std::filesystem::path& path) {
    std::string text = "'";
    return text.append(path.string()).append("'");
}

// Runs kestrune-batch from `folder`; returns its exit code. Its error
// stream goes to err.txt in the folder.
inline int runBatch(const std::filesystem::path& folder, const std::string& arguments,
                    const std::string& environment = "") {
    std::string command = "cd " + shellQuoted(folder) + " && " + environment + " " KESTRUNE_BATCH " " + arguments +
                          " > /dev/null 2> " + shellQuoted(folder / "err.txt");
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string readText(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

inline Picture readPng(const std::filesystem::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    Picture picture;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
    image.format = PNG_FORMAT_RGB;
    picture.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.rgb.data(), 0, nullptr)) return Picture{};
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    return picture;
}
