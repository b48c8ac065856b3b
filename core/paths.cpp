#include "core/paths.h"

#include <cctype>

std::string fileNameOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string lowerExtensionOf(const std::string& path) {
    std::string name = fileNameOf(path);
    size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot == 0 || name == "..") return {};
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}
