#include "app/program_files.h"

#include "core/install_paths.h"
#include "core/options.h"
#include "core/paths.h"
#include "platform/platform.h"

std::string executableDirectory() {
    return folderOf(sys::executablePath());
}

void writeOptions() {
    std::string folder = optionsWriteFolder(executableDirectory());
    if (!folder.empty()) writeOptionsTo(folder);
}
