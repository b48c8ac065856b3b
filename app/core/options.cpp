#include "app/core/options.h"

#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <unistd.h>

#include "app/core/regular_file.h"
#include "app/core/safe_file.h"

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

// Formatted-input scanning over a text, as the C library's fscanf does it:
// white space (C locale) is skipped before every token, a word is any run of
// other bytes, and a failed conversion stores nothing and leaves the position
// at the token that failed (a lone sign is consumed, as scanf does).
struct ScanPosition {
    const std::string& text;
    size_t at = 0;
};

bool isScanSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

void skipScanSpace(ScanPosition& scan) {
    while (scan.at < scan.text.size() && isScanSpace(scan.text[scan.at])) ++scan.at;
}

bool scanWord(ScanPosition& scan) {
    skipScanSpace(scan);
    if (scan.at >= scan.text.size()) return false;
    while (scan.at < scan.text.size() && !isScanSpace(scan.text[scan.at])) ++scan.at;
    return true;
}

// "%ld": a signed decimal integer, saturated to the range of long as strtol does.
bool scanLong(ScanPosition& scan, long& value) {
    skipScanSpace(scan);
    size_t start = scan.at;
    size_t p = start;
    if (p < scan.text.size() && (scan.text[p] == '+' || scan.text[p] == '-')) ++p;
    size_t digits = p;
    while (p < scan.text.size() && isDigit(scan.text[p])) ++p;
    scan.at = p;
    if (p == digits) return false;
    value = std::strtol(scan.text.substr(start, p - start).c_str(), nullptr, 10);
    return true;
}

// "%d" keeps the low 32 bits of what strtol gives, like the C library.
int narrowedToInt(long value) { return static_cast<int>(static_cast<unsigned long>(value)); }

// The file's text, or false when it is missing, not a regular file (a FIFO
// would block the start) or unreadable.
bool readOptionsFile(std::string& text) {
    int fd = openRegularFileForReading(optionsFileName);
    if (fd < 0) return false;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) != 0) {
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) break;
        text.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return got == 0;
}

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
    ScanPosition scan{text};
    long number = 0;
    // Option i is the i-th scan of "%s %d %s %d", whatever index the file
    // writes: a word, a dropped integer, a word, the value. A failed
    // conversion ends that scan only; the next one starts at the failed token.
    for (int i = 0; i < optionCount; ++i) {
        if (scanWord(scan) && scanLong(scan, number) && scanWord(scan) && scanLong(scan, number)) {
            optionSlot(read, i) = narrowedToInt(number);
        }
    }
    // "%s %s %ld": two words and the colour.
    if (scanWord(scan) && scanWord(scan) && scanLong(scan, number)) read.uniformColor = number;
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

void readOptions() {
    std::string text;
    if (!readOptionsFile(text)) {
        setDefaultOptions();
        return;
    }
    options = parseOptionsText(text);
    clampOptions();
}

bool writeOptionsTo(const std::string& directory) {
    return replaceFileContents(directory + "/" + optionsFileName, formatOptionsText(options));
}
