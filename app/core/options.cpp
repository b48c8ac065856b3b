#include "app/core/options.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/core/safe_file.h"

Options options;

int& optionAt(int index) {
    switch (index) {
        case 0: return options.vertexCreation;
        case 1: return options.textureSize;
        case 2: return options.commonBase;
        case 3: return options.faceModification;
        case 4: return options.animation;
        default: return options.transparency;
    }
}

void setDefaultOptions() {
    options = Options{2, 256, 3, 1, 1, 1, 0};
}

namespace {

int clampedChoice(int value, int highest) {
    if (value <= 0) return 1;
    return value > highest ? highest : value;
}

// Formatted-input scanning over a text: blanks and line breaks are skipped
// before every token; a failed conversion stores nothing and stops the scan
// where it failed, as the C library's scanf family does.
class Scanner {
public:
    explicit Scanner(const std::string& text) : text_(text) {}

    bool word() {
        skipBlanks();
        if (atEnd()) return false;
        while (!atEnd() && !std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
        return true;
    }

    // A signed decimal integer; out-of-range values saturate as strtol does.
    bool integer(long& value) {
        skipBlanks();
        size_t start = pos_;
        size_t p = pos_;
        if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) ++p;
        size_t digits = p;
        while (p < text_.size() && std::isdigit(static_cast<unsigned char>(text_[p]))) ++p;
        if (p == digits) {
            // A lone sign is consumed by scanf before it fails.
            pos_ = p;
            return false;
        }
        errno = 0;
        value = std::strtol(text_.substr(start, p - start).c_str(), nullptr, 10);
        pos_ = p;
        return true;
    }

private:
    bool atEnd() const { return pos_ >= text_.size(); }
    void skipBlanks() {
        while (!atEnd() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    }
    const std::string& text_;
    size_t pos_ = 0;
};

int asInt(long value) {
    // "%d" stores an int: a value outside its range wraps like the C library.
    return static_cast<int>(static_cast<unsigned long>(value));
}

}  // namespace

void clampOptions() {
    options.vertexCreation = clampedChoice(options.vertexCreation, 2);
    if (options.textureSize <= 0) options.textureSize = 1;
    options.commonBase = clampedChoice(options.commonBase, 3);
    options.faceModification = clampedChoice(options.faceModification, 2);
    options.animation = clampedChoice(options.animation, 2);
    options.transparency = clampedChoice(options.transparency, 2);
}

Options parseOptionsText(const std::string& text) {
    Options saved = options;
    options = Options{};
    Scanner scan(text);
    long number = 0;
    // Each option is one scan of "%s %d %s %d": a word, a dropped integer, a
    // word, option i. A failed conversion ends that scan only; the next scan
    // starts on the token that failed.
    for (int i = 0; i < optionCount; ++i) {
        if (scan.word() && scan.integer(number) && scan.word() && scan.integer(number)) {
            optionAt(i) = asInt(number);
        }
    }
    // "%s %s %ld": two words and the colour.
    if (scan.word() && scan.word() && scan.integer(number)) options.uniformColor = number;
    Options read = options;
    options = saved;
    return read;
}

std::string formatOptionsText(const Options& values) {
    Options saved = options;
    options = values;
    std::string text;
    char line[64];
    for (int i = 0; i < optionCount; ++i) {
        std::snprintf(line, sizeof line, "option %d = %d \r\n", i, optionAt(i));
        text += line;
    }
    std::snprintf(line, sizeof line, "texture = %ld \r\n", values.uniformColor);
    text += line;
    options = saved;
    return text;
}

void readOptions() {
    std::ifstream file(optionsFileName, std::ios::binary);
    if (!file) {
        setDefaultOptions();
        return;
    }
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    options = parseOptionsText(text);
    clampOptions();
}

bool writeOptionsTo(const std::string& directory) {
    return replaceFileContents(directory + "/" + optionsFileName, formatOptionsText(options));
}
