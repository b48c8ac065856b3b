#include "core/options.h"

#include "core/file_bytes.h"
#include "core/safe_file.h"
#include "core/text_scan.h"

Options options;

namespace {

int& optionSlot(Options& values, int index) {
    switch (index) {
        case 0: return values.vertexCreation;
        case 1: return values.textureSize;
        case 2: return values.commonBase;
        case 3: return values.faceModification;
        case 4: return values.animation;
        default: return values.transparency;
    }
}

int clampedChoice(int value, int highest) {
    if (value <= 0) return 1;
    return value > highest ? highest : value;
}

// "%s" over the text: false when only white space is left.
bool scanNonEmptyWord(const char*& p, const char* end) { return !scanWord(p, end).empty(); }

}  // namespace

int& optionAt(int index) { return optionSlot(options, index); }

void setDefaultOptions() { options = Options{2, 256, 3, 1, 1, 1, 0}; }

void clampOptions() {
    options.vertexCreation = clampedChoice(options.vertexCreation, 2);
    if (options.textureSize <= 0) options.textureSize = 1;
    options.commonBase = clampedChoice(options.commonBase, 3);
    options.faceModification = clampedChoice(options.faceModification, 2);
    options.animation = clampedChoice(options.animation, 2);
    options.transparency = clampedChoice(options.transparency, 2);
}

Options parseOptionsText(const std::string& text) {
    Options read{};
    const char* p = text.data();
    const char* end = p + text.size();
    int32_t number = 0;
    long colour = 0;
    // Option i is the i-th scan of "%s %d %s %d", whatever index the file
    // writes: a word, a dropped integer, a word, the value. A failed
    // conversion ends that scan only; the next one starts at the failed token.
    for (int i = 0; i < optionCount; ++i) {
        if (scanNonEmptyWord(p, end) && scanInt(p, end, number) && scanNonEmptyWord(p, end) &&
            scanInt(p, end, number)) {
            optionSlot(read, i) = number;
        }
    }
    // "%s %s %ld": two words and the colour.
    if (scanNonEmptyWord(p, end) && scanNonEmptyWord(p, end) && scanLong(p, end, colour)) {
        read.uniformColor = colour;
    }
    return read;
}

std::string formatOptionsText(const Options& values) {
    Options copy = values;
    std::string text;
    char line[64];
    for (int i = 0; i < optionCount; ++i) {
        std::snprintf(line, sizeof line, "option %d = %d \r\n", i, optionSlot(copy, i));
        text += line;
    }
    std::snprintf(line, sizeof line, "texture = %ld \r\n", values.uniformColor);
    text += line;
    return text;
}

void readOptions(const std::string& fallbackFolder) {
    std::string text;
    // Missing, not a regular file (a FIFO would block the start) or
    // unreadable: the next place, then the defaults.
    bool found = readWholeFile(optionsFileName, text);
    if (!found && !fallbackFolder.empty()) found = readWholeFile(fallbackFolder + "/" + optionsFileName, text);
    if (!found) {
        setDefaultOptions();
        return;
    }
    options = parseOptionsText(text);
    clampOptions();
}

bool writeOptionsTo(const std::string& directory) {
    return replaceFileContents(directory + "/" + optionsFileName, formatOptionsText(options));
}
