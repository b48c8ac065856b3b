// The command line of kestrune-batch: options first, then the input and
// output files, then the remodelling steps.
#pragma once

#include <string>
#include <vector>

struct BatchOptions {
    bool importThroughLibrary = false;  // --import: a .off input too
    bool standardOff = false;           // --standard-off: a .off output as standard OFF
    bool ascii = false;                 // --ascii: text PLY and STL
    int textureSize = 0;                // --texture-size N; 0: from the options file
    int commonBase = 0;                 // --common-base N; 0: from the options file
    std::string optionsFile;            // --options FILE; empty: the window's own file
    std::string input;
    std::string output;
    std::vector<std::string> steps;
};

enum class ArgumentsResult { Run, Help, Version, UsageError };

// Fills `into` from the arguments (without the program name). A usage error
// sets `problem` to what is wrong.
ArgumentsResult parseBatchArguments(const std::vector<std::string>& args, BatchOptions& into,
                                    std::string& problem);

extern const char* const batchUsageText;
// The line after a usage error's reason: where the whole usage is.
extern const char* const batchHelpHint;
