#include <cstdlib>
#include <iostream>
#include <sys/resource.h>

#include "tools/batch.h"
#include "tools/batch_options.h"
#include "tools/picture.h"
#include "tools/picture_options.h"

namespace {

// With KESTRUNE_MEMORY_REPORT set, the peak resident sizes of this process
// and of the import child, for the benchmarks: "memory SELF CHILD" in kB.
int reportingMemory(int code) {
    if (std::getenv("KESTRUNE_MEMORY_REPORT") == nullptr) return code;
    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    std::cerr << "memory " << self.ru_maxrss << " " << children.ru_maxrss << "\n";
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << batchUsageText << pictureUsageText;
            return 0;
        }
    }
    if (asksForPicture(args)) return reportingMemory(runPicture(args, std::cout, std::cerr));
    return reportingMemory(runBatch(args, std::cout, std::cerr));
}
