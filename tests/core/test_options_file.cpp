#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "core/options.h"

namespace {

std::vector<long> valuesOf(const Options& o) {
    return {o.vertexCreation, o.textureSize, o.commonBase, o.faceModification, o.animation, o.transparency,
            o.uniformColor};
}

// Reads the options as the file would be read, then clamps.
std::vector<long> readClamped(const std::string& text) {
    Options saved = options;
    options = parseOptionsText(text);
    clampOptions();
    std::vector<long> values = valuesOf(options);
    options = saved;
    return values;
}

// Runs in a scratch working directory, since the file is looked up there.
class OptionsFile : public ::testing::Test {
protected:
    void SetUp() override {
        previous = std::filesystem::current_path();
        char pattern[] = "/tmp/kestrune-options-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        scratch = pattern;
        std::filesystem::current_path(scratch);
        saved = options;
    }
    void TearDown() override {
        options = saved;
        std::filesystem::current_path(previous);
        std::filesystem::remove_all(scratch);
    }
    static std::string readText(const std::filesystem::path& path) {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    std::filesystem::path previous, scratch;
    Options saved;
};

const char* const defaultText =
    "option 0 = 2 \r\noption 1 = 256 \r\noption 2 = 3 \r\noption 3 = 1 \r\noption 4 = 1 \r\n"
    "option 5 = 1 \r\ntexture = 0 \r\n";

}  // namespace

TEST_F(OptionsFile, MissingFileGivesTheDefaultsAndTheDefaultsAreWrittenExactly) {
    options = Options{};
    readOptions();
    EXPECT_EQ(valuesOf(options), (std::vector<long>{2, 256, 3, 1, 1, 1, 0}));
    ASSERT_TRUE(writeOptionsTo(scratch.string()));
    EXPECT_EQ(readText(scratch / optionsFileName), defaultText);
    options = Options{};
    readOptions();  // the file just written, read back
    EXPECT_EQ(valuesOf(options), (std::vector<long>{2, 256, 3, 1, 1, 1, 0}));
}

TEST_F(OptionsFile, ADirectoryInPlaceOfTheFileGivesTheDefaults) {
    std::filesystem::create_directory(scratch / optionsFileName);
    readOptions();
    EXPECT_EQ(valuesOf(options), (std::vector<long>{2, 256, 3, 1, 1, 1, 0}));
}

TEST_F(OptionsFile, FailedWriteLeavesNothingBehind) {
    EXPECT_FALSE(writeOptionsTo((scratch / "absent").string()));
    std::filesystem::create_directory(scratch / "dir");
    std::filesystem::create_directory(scratch / "dir" / optionsFileName);
    EXPECT_FALSE(writeOptionsTo((scratch / "dir").string()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch / "dir"), {}), 1);
}

TEST(OptionsText, ValuesAreClampedIntoTheirRanges) {
    EXPECT_EQ(readClamped("option 0 = 9 \noption 1 = -5 \noption 2 = 7 \noption 3 = 3 \noption 4 = 0 \n"
                          "option 5 = -2 \ntexture = -77 \n"),
              (std::vector<long>{2, 1, 3, 2, 1, 1, -77}));
    EXPECT_EQ(readClamped("option 0 = -1 \noption 1 = 2000000000 \noption 2 = 0 \noption 3 = 2 \n"
                          "option 4 = 2 \noption 5 = 2 \ntexture = 16777215 \n"),
              (std::vector<long>{1, 2000000000, 1, 2, 2, 2, 16777215}));
}

TEST(OptionsText, ValuesGoByPositionNotByWrittenIndex) {
    EXPECT_EQ(readClamped("option 5 = 2 \noption 4 = 512 \noption 3 = 3 \noption 2 = 1 \noption 1 = 2 \n"
                          "option 0 = 2 \ntexture = 255 \n"),
              (std::vector<long>{2, 512, 3, 1, 2, 2, 255}));
}

TEST(OptionsText, ShortEmptyAndOddFiles) {
    // Three lines: options 0 to 2 read, the rest stay 0 and clamp to 1.
    EXPECT_EQ(readClamped("option 0 = 1 \r\noption 1 = 64 \r\noption 2 = 2 \r\n"),
              (std::vector<long>{1, 64, 2, 1, 1, 1, 0}));
    EXPECT_EQ(readClamped(""), (std::vector<long>{1, 1, 1, 1, 1, 1, 0}));
    // Any words, of any length, on one line or many.
    std::string word(100000, 'w');
    EXPECT_EQ(readClamped(word + " 0 " + word + " 2 a 1 b 128 a 2 b 2 c 3 d 2 e 4 f 1 g 5 h 2 " + word + " " +
                          word + " 4242"),
              (std::vector<long>{2, 128, 2, 2, 1, 2, 4242}));
}

TEST(OptionsText, WrittenTextReadsBackTheSameValues) {
    Options values{1, 1024, 2, 2, 2, 1, -123456789012L};
    std::string text = formatOptionsText(values);
    EXPECT_NE(text.find("texture = -123456789012 \r\n"), std::string::npos);
    EXPECT_EQ(valuesOf(parseOptionsText(text)), valuesOf(values));
}

// The reading as the C library's fscanf does it, for comparison.
std::vector<long> readWithLibrary(const std::string& text) {
    std::FILE* file = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), file);
    std::rewind(file);
    std::vector<char> word(text.size() + 2);
    int values[6] = {0, 0, 0, 0, 0, 0};
    int dropped = 0;
    long color = 0;
    for (int& value : values) std::fscanf(file, "%s %d %s %d", word.data(), &dropped, word.data(), &value);
    std::fscanf(file, "%s %s %ld", word.data(), word.data(), &color);
    std::fclose(file);
    return {values[0], values[1], values[2], values[3], values[4], values[5], color};
}

TEST(OptionsText, DamagedTextsReadAsTheLibraryReadsThem) {
    const char* tokens[] = {"option", "=", "texture", "0", "12", "-3", "+4", "-", "+", "x", "2x", "99999999999",
                            "-99999999999999999999", "0x10", "\t", "\r\n", "\n", " ", "  ", "é", "*"};
    std::mt19937 random(99);
    for (int n = 0; n < 3000; ++n) {
        std::string text;
        int count = static_cast<int>(random() % 40);
        for (int k = 0; k < count; ++k) {
            text += tokens[random() % std::size(tokens)];
            if (random() % 3) text += ' ';
            if (random() % 50 == 0) text += '\0';
        }
        ASSERT_EQ(valuesOf(parseOptionsText(text)), readWithLibrary(text)) << "[" << text << "]";
    }
}

TEST_F(OptionsFile, AFifoInPlaceOfTheFileGivesTheDefaultsAtOnce) {
    ASSERT_EQ(mkfifo(optionsFileName, 0600), 0);
    options = Options{};
    alarm(10);  // a blocking open would end the test here
    readOptions();
    alarm(0);
    EXPECT_EQ(valuesOf(options), (std::vector<long>{2, 256, 3, 1, 1, 1, 0}));
    EXPECT_FALSE(writeOptionsTo(scratch.string()));  // nor is it replaced by a file
}
