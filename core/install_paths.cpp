#include "core/install_paths.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const char* const installedDataFolder = "../share/kestrune";

std::string normalPath(const fs::path& path) { return path.lexically_normal().string(); }

}  // namespace

std::string helpPagePath(const std::string& executableDir) {
    std::error_code ignored;
    fs::path beside = fs::path(executableDir) / "aide/index.html";
    if (fs::is_regular_file(beside, ignored)) return normalPath(beside);
    return normalPath(fs::path(executableDir) / installedDataFolder / "aide/index.html");
}

std::string examplesDir(const std::string& executableDir) {
    std::error_code ignored;
    for (fs::path candidate : {fs::path(executableDir) / "examples",
                               fs::path(executableDir) / installedDataFolder / "examples"}) {
        if (fs::is_directory(candidate, ignored)) return normalPath(candidate);
    }
    return {};
}

bool folderIsWritable(const std::string& folder) {
    std::string probe = folder + "/.kestrune-probe-XXXXXX";
    int fd = mkstemp(probe.data());
    if (fd < 0) return false;
    close(fd);
    unlink(probe.c_str());
    return true;
}

std::string userOptionsFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config != nullptr && config[0] == '/') return normalPath(fs::path(config) / "kestrune");
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return normalPath(fs::path(home) / ".config/kestrune");
    return {};
}

bool runsInstalled(const std::string& executableDir) {
    std::error_code ignored;
    return !fs::is_regular_file(fs::path(executableDir) / "aide/index.html", ignored) &&
           fs::is_directory(fs::path(executableDir) / installedDataFolder, ignored);
}

bool optionsBesideExecutable(const std::string& executableDir) {
    return !runsInstalled(executableDir) && folderIsWritable(executableDir);
}

std::string optionsWriteFolder(const std::string& executableDir) {
    if (optionsBesideExecutable(executableDir)) return executableDir;
    std::string folder = userOptionsFolder();
    std::error_code failed;
    if (folder.empty()) return {};
    fs::create_directories(folder, failed);
    return failed ? std::string() : folder;
}

std::string optionsReadFallbackFolder(const std::string& executableDir) {
    return optionsBesideExecutable(executableDir) ? std::string() : userOptionsFolder();
}
