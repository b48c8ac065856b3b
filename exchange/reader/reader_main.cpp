// kestrune-import: reads one model through the Open Asset Import Library and
// writes what it found to its standard output as one frame (import_wire.h).
// It runs as a child of the program, under the limits it is given: a
// hostile file may exhaust this process's memory or time, or crash it, and
// the program that started it only reports why.
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

#include "core/address_sanitizer.h"
#include "core/safe_file.h"
#include "exchange/scene/import_wire.h"
#include "exchange/scene/confined_path.h"
#include "exchange/reader/model_import.h"
#include "exchange/reader/reader_sandbox.h"

namespace {

constexpr int memoryExitCode = 3;
constexpr int usageExitCode = 2;

void limit(int resource, rlim_t value) {
    rlimit bound{value, value};
    ::setrlimit(resource, &bound);
}

// Address space, processor time, no file written, no core dump. Under
// AddressSanitizer the address space holds its shadow, so it stays open (the
// parent hands the limit to the sanitizer's allocator instead).
void applyLimits(unsigned long long memoryBytes, unsigned seconds) {
#ifndef KESTRUNE_ADDRESS_SANITIZER
    limit(RLIMIT_AS, static_cast<rlim_t>(memoryBytes));
#else
    (void)memoryBytes;
#endif
    limit(RLIMIT_CPU, seconds + 1);
    limit(RLIMIT_FSIZE, 0);
    limit(RLIMIT_CORE, 0);
    std::signal(SIGALRM, SIG_DFL);
    ::alarm(seconds);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 7 || std::strcmp(argv[1], "--memory") != 0 || std::strcmp(argv[3], "--seconds") != 0 ||
        std::strcmp(argv[5], "--") != 0) {
        const char usage[] = "usage : kestrune-import --memory OCTETS --seconds S -- MODELE\n";
        (void)!::write(2, usage, sizeof usage - 1);
        return usageExitCode;
    }
    std::signal(SIGPIPE, SIG_IGN);
    applyLimits(std::strtoull(argv[2], nullptr, 10), static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10)));
    // From here on the kernel holds this process to reading the model's
    // folder and answering on its pipes (a folder not found leaves nothing
    // to read: the import says why).
    std::string problem;
    std::string folder = modelFolder(argv[6], problem);
    confineReader(folder.empty() ? std::string("/nonexistent") : folder);
    try {
        ImportedModel model;
        std::string failure;
        if (!importModel(argv[6], model, failure) && failure.empty()) failure = "lecture impossible";
        std::string header = encodeImportHeader(model, failure);
        const char* positions = reinterpret_cast<const char*>(model.positions.data());
        const char* corners = reinterpret_cast<const char*>(model.corners.data());
        bool written = writeAllTo(1, header.data(), header.size()) &&
                       writeAllTo(1, positions, model.positions.size() * sizeof(float)) &&
                       writeAllTo(1, corners, model.corners.size() * sizeof(int32_t));
        return written ? 0 : 1;
    } catch (const std::bad_alloc&) {
        // The only exception importModel lets out: the library's other errors
        // become the file's failure. The fuzz targets take it the same way.
        return memoryExitCode;
    }
}
