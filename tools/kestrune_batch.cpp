#include <iostream>

#include "tools/batch.h"
#include "tools/batch_options.h"
#include "tools/picture.h"
#include "tools/picture_options.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << batchUsageText << pictureUsageText;
            return 0;
        }
    }
    if (asksForPicture(args)) return runPicture(args, std::cout, std::cerr);
    return runBatch(args, std::cout, std::cerr);
}
