#include "exchange/scene/texture_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "core/file_bytes.h"
#include "core/jpeg_decode.h"
#include "exchange/scene/confined_path.h"

// The header checks of the window's texture loader (core/jpeg_decode): size,
// then three colour components.
std::string textureProblem(const std::string& bytes) {
    unsigned width = 0;
    unsigned height = 0;
    switch (checkJpegTextureHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), width, height)) {
        case TextureLoad::Loaded:
        case TextureLoad::Corrupt:
        case TextureLoad::CannotOpen: return "";
        case TextureLoad::WrongSize:
            return "l'image fait " + std::to_string(width) + " x " + std::to_string(height) +
                   " pixels au lieu de 256 x 256";
        case TextureLoad::NotColour: return "l'image n'est pas en couleurs";
        case TextureLoad::Damaged: break;
    }
    return "ce n'est pas une image JPEG lisible";
}

namespace {

// The whole file behind `fd`, refused before any reading when larger than the
// limit or when its first bytes are not a JPEG's start of image.
bool readBoundedJpeg(int fd, std::string& bytes, std::string& problem) {
    struct stat status;
    if (::fstat(fd, &status) != 0) {
        problem = std::strerror(errno);
        return false;
    }
    if (static_cast<uint64_t>(status.st_size) > textureFileLimit) {
        problem = "fichier de " + std::to_string(status.st_size) + " octets, trop gros pour une image de 256 x 256";
        return false;
    }
    bytes.resize(static_cast<size_t>(status.st_size));
    size_t done = 0;
    while (done < bytes.size()) {
        // The start of image first: nothing more is read from anything else.
        size_t wanted = done == 0 ? std::min<size_t>(3, bytes.size()) : bytes.size() - done;
        ssize_t got = ::read(fd, bytes.data() + done, wanted);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<size_t>(got);
        if (done == 3 && bytes.compare(0, 3, "\xFF\xD8\xFF") != 0) break;
    }
    if (done < 3 || bytes.compare(0, 3, "\xFF\xD8\xFF") != 0) {
        problem = "ce n'est pas une image JPEG lisible";
        return false;
    }
    bytes.resize(done);
    return true;
}

}  // namespace

bool readTextureInFolder(const std::string& folder, const std::string& path, TextureFile& into,
                         std::string& problem) {
    int fd = openInsideFolder(folder, path, problem);
    if (fd < 0) return false;
    TextureFile read;
    read.name = std::filesystem::path(path).filename().string();
    bool whole = readBoundedJpeg(fd, read.bytes, problem);
    ::close(fd);
    if (whole) problem = textureProblem(read.bytes);
    if (!problem.empty()) {
        problem = "« " + path + " » : " + problem;
        return false;
    }
    into = std::move(read);
    return true;
}

bool readModelTexture(const std::string& folder, std::string name, TextureFile& into, std::string& problem) {
    for (char& c : name) {
        if (c == '\\') c = '/';
    }
    if (folder.empty()) {
        problem = "« " + name + " » n'est pas lu";
        return false;
    }
    return readTextureInFolder(folder, !name.empty() && name[0] == '/' ? name : folder + "/" + name, into, problem);
}

bool usableTextureName(const std::string& name) {
    if (name.empty() || name.size() > 123 || name == "." || name == "..") return false;
    for (char c : name) {
        if (c == ' ' || (c >= '\t' && c <= '\r') || c == '/' || c == '\0') return false;
    }
    return true;
}

bool textureFitsBeside(const std::string& modelPath, const TextureFile& texture, std::string& problem) {
    std::filesystem::path folder = std::filesystem::path(modelPath).parent_path();
    std::string target = (folder / texture.name).string();
    std::error_code ignored;
    if (std::filesystem::exists(target, ignored)) {
        std::string present;
        bool sameSize = std::filesystem::file_size(target, ignored) == texture.bytes.size();
        if (sameSize && readWholeFile(target, present) && present == texture.bytes) return true;
        problem = "« " + target + " » existe déjà avec un autre contenu et reste tel quel";
        return false;
    }
    return true;
}
