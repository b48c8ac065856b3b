#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "mesh/off_reader.h"
#include "mesh/off_writer.h"
#include "core/text_scan.h"

namespace {

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Runs our conversions and the C library's sscanf on the same line and
// expects the same count and the same stored values, bit for bit.
void expectScanLikeLibrary(const std::string& line) {
    float ours[3] = {-7.0f, -7.0f, -7.0f};
    float theirs[3] = {-7.0f, -7.0f, -7.0f};
    int oursCount = scanFloats(line, ours, 3);
    int theirsCount = std::max(0, std::sscanf(line.c_str(), "%f%f%f", &theirs[0], &theirs[1], &theirs[2]));
    ASSERT_EQ(oursCount, theirsCount) << "floats in [" << line << "]";
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(sameBits(ours[k], theirs[k])) << "float " << k << " of [" << line << "]: " << ours[k]
                                                  << " vs " << theirs[k];
    }
    int32_t oursInts[5] = {-7, -7, -7, -7, -7};
    int theirsInts[5] = {-7, -7, -7, -7, -7};
    int oursIntCount = scanInts(line, oursInts, 5);
    int theirsIntCount = std::max(0, std::sscanf(line.c_str(), "%d%d%d%d%d", &theirsInts[0], &theirsInts[1],
                                                 &theirsInts[2], &theirsInts[3], &theirsInts[4]));
    ASSERT_EQ(oursIntCount, theirsIntCount) << "ints in [" << line << "]";
    for (int k = 0; k < 5; ++k) ASSERT_EQ(oursInts[k], theirsInts[k]) << "int " << k << " of [" << line << "]";
}

std::string lines(std::initializer_list<const char*> parts) {
    std::string text;
    for (const char* part : parts) text += std::string(part) + "\n";
    return text;
}

bool read(const std::string& text, Mesh& into) { return readOffText(text.data(), text.size(), into); }

std::vector<int32_t> faceOf(const Mesh& m, int f) { return {m.faceA[f], m.faceB[f], m.faceC[f], m.faceD[f]}; }

const std::string cube = lines({"OFF", "8 6 12", "0 0 0", "10 0 0", "10 10 0", "0 10 0", "0 0 10", "10 0 10",
                                "10 10 10", "0 10 10", "4 0 3 2 1", "4 4 5 6 7", "4 0 1 5 4", "4 1 2 6 5",
                                "4 2 3 7 6", "4 3 0 4 7"});

class OffRead : public ::testing::Test {
protected:
    void TearDown() override {
        std::swap(model, mesh);
        freeModel();
        std::swap(model, mesh);
    }
    Mesh model;
};

}  // namespace

TEST(OffScan, TrickyNumbersConvertAsTheLibraryDoes) {
    const char* cases[] = {
        "1 2 3", "+1.5 -2.25 .5", "5. -.5e-3 1E+2", "1e 2 3", "1e+ 2 3", "1e+x 2 3", "1e5-3 4",
        "0x1p3 0X.8P1 0x", "inf -INFINITY nan", "nan(123) 1 2", "infinit 1 2", "1.2.3", "..5 1 2",
        "1e39 -1e39 1e-50", "1e-45 1.4e-45 3.4028235e38", "00x1 2 3", " \t1\r", "2147483648 -2147483649 1 2 3",
        "99999999999999999999 -99999999999999999999 4294967296 3 4", "+-1 2 3", "- 1 2 3", "-", "",
        "3 0 1 2 7", "4,5 6 7", "1.5x 2 3", "1,5 2 3", "0.1000000000000000055511151231257827 1 2",
        "123456789012345678901234567890e-20 0 0", "1-2-3", "\v1\f2\r3", "1\0 2 3", "9223372036854775808 1",
        "-9223372036854775808 -9223372036854775809 1 1 1", "0e 1 2", "1.e5 .e5 2", "1e0000000000000000001 1 1",
    };
    for (const char* text : cases) expectScanLikeLibrary(text);
}

TEST(OffScan, RandomLinesConvertAsTheLibraryDoes) {
    std::mt19937 random(12345);
    const std::string alphabet = "0123456789012345678901234567890123456789..eE+-xXpPinfaINFA   \t\r,";
    for (int n = 0; n < 200000; ++n) {
        std::string line;
        int length = static_cast<int>(random() % 24);
        for (int k = 0; k < length; ++k) line += alphabet[random() % alphabet.size()];
        expectScanLikeLibrary(line);
        if (HasFatalFailure()) return;
    }
    // Plain numbers of every size: the common path must round as strtof does.
    std::uniform_int_distribution<int> exponent(-48, 40);
    for (int n = 0; n < 200000; ++n) {
        char line[96];
        double mantissa = static_cast<double>(random()) / 4294967296.0 * 10.0;
        std::snprintf(line, sizeof line, "%.*f %.*e %.17ge%d", static_cast<int>(random() % 12), mantissa - 5.0,
                      static_cast<int>(random() % 14), mantissa * std::pow(10.0, exponent(random)), -mantissa,
                      exponent(random));
        expectScanLikeLibrary(line);
        if (HasFatalFailure()) return;
    }
}

TEST(OffLines, TakeLineLimitsCountTheCarriageReturn) {
    std::string eighty(80, 'a');
    std::string text = eighty + "\n" + std::string(79, 'b') + "\r\n" + std::string(80, 'c') + "\r\nrest";
    std::string_view rest = text;
    std::string_view line;
    EXPECT_EQ(takeLine(rest, line, 80), LineTaken);
    EXPECT_EQ(line, eighty);
    EXPECT_EQ(takeLine(rest, line, 80), LineTaken);
    EXPECT_EQ(line, std::string(79, 'b') + "\r");
    std::string_view before = rest;
    EXPECT_EQ(takeLine(rest, line, 80), LineTooLong);  // 80 characters and a CR
    EXPECT_TRUE(line.empty());
    EXPECT_EQ(rest, before);

    rest = "last";
    EXPECT_EQ(takeLine(rest, line, 80), LastLine);
    EXPECT_EQ(line, "last");
    EXPECT_EQ(takeLine(rest, line, 80), LastLine);  // nothing left: an empty line
    EXPECT_TRUE(line.empty());
    std::string longLast(81, 'd');
    rest = longLast;
    EXPECT_EQ(takeLine(rest, line, 80), LastLineTooLong);
    EXPECT_TRUE(line.empty());
}

TEST(OffLines, BlankAndCommentLinesAreSkipped) {
    EXPECT_TRUE(isBlankLine(""));
    EXPECT_TRUE(isBlankLine("x"));
    EXPECT_TRUE(isBlankLine("\r"));
    EXPECT_TRUE(isBlankLine("   a"));
    EXPECT_FALSE(isBlankLine("\t\r"));
    EXPECT_FALSE(isBlankLine(" a "));
    std::string text = "\n\r\n*comment\n   z\nOFF\n# not a comment\n";
    std::string_view rest = text;
    std::string_view line;
    EXPECT_EQ(nextDataLine(rest, line, 80), LineTaken);
    EXPECT_EQ(line, "OFF");
    EXPECT_EQ(nextDataLine(rest, line, 80), LineTaken);
    EXPECT_EQ(line, "# not a comment");
    // A last line without LF is handed over untested, even a comment.
    rest = "* trailing";
    EXPECT_EQ(nextDataLine(rest, line, 80), LastLine);
    EXPECT_EQ(line, "* trailing");
}

TEST_F(OffRead, CubeIsCentredAndScaled) {
    ASSERT_TRUE(read(cube, model));
    EXPECT_EQ(model.vertexCount, 8);
    EXPECT_EQ(model.faceCount, 6);
    EXPECT_EQ(model.vertexCapacity, 8);
    EXPECT_EQ(model.faceCapacity, 6);
    EXPECT_EQ(model.modelCenter[0], 5.0f);
    EXPECT_EQ(model.modelCenter[1], 5.0f);
    EXPECT_EQ(model.modelCenter[2], 5.0f);
    EXPECT_EQ(model.modelScale, 5.0f);
    EXPECT_EQ(model.vertexX[0], -0.6f);
    EXPECT_EQ(model.vertexX[1], 0.6f);
    EXPECT_EQ(model.vertexZ[7], 0.6f);
    EXPECT_EQ(faceOf(model, 2), (std::vector<int32_t>{0, 1, 5, 4}));
    EXPECT_STREQ(model.textureFileName, "");
    EXPECT_FLOAT_EQ(model.commonBaseLength, 1.2f);
    EXPECT_TRUE(meshIsConsistent(model));
}

TEST_F(OffRead, ScaleIsTheLargestCentredMagnitude) {
    // x ranges over 0 .. 4 around a centre of 3: centred -3 .. 1.
    ASSERT_TRUE(read(lines({"OFF", "4 1", "0 0 0", "4 0 0", "4 0 0", "4 0 0", "3 0 1 2"}), model));
    EXPECT_EQ(model.modelCenter[0], 3.0f);
    EXPECT_EQ(model.modelScale, 3.0f);
    EXPECT_EQ(model.vertexX[0], -0.6f);
    EXPECT_EQ(model.vertexX[1], static_cast<float>(1.0 * 0.6 / 3.0));
}

TEST_F(OffRead, CentreUsesSinglePrecisionPartialSums) {
    // 1e8 + 1 + 1 - 1e8 is 0 in float partial sums, 2 exactly.
    ASSERT_TRUE(read(lines({"OFF", "4 1", "1e8 0 0", "1 0 0", "1 0 0", "-1e8 0 0", "3 0 1 2"}), model));
    EXPECT_EQ(model.modelCenter[0], 0.0f);
    EXPECT_EQ(model.modelScale, 1e8f);
}

TEST_F(OffRead, HeaderRules) {
    std::string body = lines({"3 1", "0 0 0", "1 0 0", "0 1 0", "3 0 1 2"});
    ASSERT_TRUE(read("* made by hand\n\n  \nOFF brique.jpg extra\n" + body, model));
    EXPECT_STREQ(model.textureFileName, "brique.jpg");
    ASSERT_TRUE(read("OFF\r\n" + body, model));
    EXPECT_STREQ(model.textureFileName, "");
    ASSERT_TRUE(read("  OFF\tpierre.jpg\n" + body, model));
    EXPECT_STREQ(model.textureFileName, "pierre.jpg");
    std::string longName(76, 'n');
    ASSERT_TRUE(read("OFF " + longName + "\n" + body, model));
    EXPECT_EQ(std::string(model.textureFileName), longName);
    // Every header the writer makes reads back: "OFF", two blanks and a name
    // of up to 123 characters, over the common line limit.
    std::string longestName(123, 'm');
    ASSERT_TRUE(read("OFF  " + longestName + "\r\n" + body, model));
    EXPECT_EQ(std::string(model.textureFileName), longestName);
    EXPECT_FALSE(read("OFF " + longestName + "m\n" + body, model));   // no room for the name
    EXPECT_FALSE(read("OFF  " + longestName + " x\n" + body, model));  // 130 characters
    EXPECT_FALSE(read(std::string(81, '*') + "\nOFF\n" + body, model));
    EXPECT_FALSE(read("OFF\n" + std::string(81, ' ') + "\n" + body, model));
    EXPECT_FALSE(read("# comment\nOFF\n" + body, model));
    EXPECT_FALSE(read("off\n" + body, model));
    EXPECT_FALSE(read("OFFX\n" + body, model));
    EXPECT_FALSE(read("COFF\n" + body, model));
    EXPECT_FALSE(read("", model));
    EXPECT_FALSE(read("\n\n", model));
}

TEST_F(OffRead, CountsRules) {
    std::string tail = lines({"0 0 0", "1 0 0", "0 1 0", "3 0 1 2"});
    EXPECT_TRUE(read("OFF\n3 1\n" + tail, model));
    EXPECT_TRUE(read("OFF\n3 1 99\n" + tail, model));
    EXPECT_FALSE(read("OFF\n3\n" + tail, model));
    EXPECT_FALSE(read("OFF\n0 1\n" + tail, model));
    EXPECT_FALSE(read("OFF\n3 0\n" + tail, model));
    EXPECT_FALSE(read("OFF\n-3 1\n" + tail, model));
    // Counts the text cannot hold are refused before any allocation.
    // The shortest lines that can hold the declared data are enough.
    EXPECT_TRUE(read("OFF\n1 1\n0 0 0\n3 0 0 0", model));
    EXPECT_TRUE(read("OFF\n2 1\n1-2-3\n4 5 6\n3 0 1 1", model));
    Mesh untouched;
    EXPECT_FALSE(read("OFF\n2000000000 2000000000\n" + tail, untouched));
    EXPECT_FALSE(read("OFF\n4 1\n" + tail, untouched));
    EXPECT_EQ(untouched.vertexX, nullptr);
}

TEST_F(OffRead, LineEndingsAndBlankLinesGiveTheSameModel) {
    std::string crlf;
    for (char c : cube) crlf += c == '\n' ? std::string("\r\n\r\n   \r\n") : std::string(1, c);
    Mesh other;
    ASSERT_TRUE(read(cube, model));
    ASSERT_TRUE(read(crlf, other));
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(model.vertexX[i], other.vertexX[i]);
        EXPECT_EQ(model.vertexY[i], other.vertexY[i]);
        EXPECT_EQ(model.vertexZ[i], other.vertexZ[i]);
    }
    for (int f = 0; f < 6; ++f) EXPECT_EQ(faceOf(model, f), faceOf(other, f));
    std::swap(other, mesh);
    freeModel();
    std::swap(other, mesh);
    // A line of a tab and a CR is not blank: where data is expected it fails.
    EXPECT_FALSE(read("OFF\n\t\r\n3 1\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n", model));
}

TEST_F(OffRead, OverlongLinesFailOnlyWhereTheyAreRead) {
    std::string comment = std::string("*") + std::string(80, '-');  // 81 characters
    std::string start = lines({"OFF", "3 2", "0 0 0", "1 0 0", "0 1 0", "3 0 1 2"});
    EXPECT_FALSE(read(start + comment + "\n3 2 1 0\n", model));
    EXPECT_TRUE(read(start + "3 2 1 0\n" + comment + "\n", model));
    std::string padded = "3 2 1 0" + std::string(73, ' ');  // 80 characters: still fine
    EXPECT_TRUE(read(start + padded + "\n", model));
    EXPECT_FALSE(read(start + padded + " \n", model));
}

TEST_F(OffRead, FaceLineRules) {
    std::string start = lines({"OFF", "4 1", "0 0 0", "1 0 0", "1 1 0", "0 1 0"});
    ASSERT_TRUE(read(start + "3 0 1 2 7\n", model));
    EXPECT_EQ(faceOf(model, 0), (std::vector<int32_t>{0, 1, 2, -1}));
    ASSERT_TRUE(read(start + "4 3 2 1 0 9 9\n", model));
    EXPECT_EQ(faceOf(model, 0), (std::vector<int32_t>{3, 2, 1, 0}));
    EXPECT_FALSE(read(start + "4 0 1 2\n", model));
    EXPECT_FALSE(read(start + "5 0 1 2 3\n", model));
    EXPECT_FALSE(read(start + "2 0 1 2 3\n", model));
    EXPECT_FALSE(read(start + "3 0 1\n", model));
    // Corners must name vertices of the model.
    EXPECT_FALSE(read(start + "3 0 1 4\n", model));
    EXPECT_FALSE(read(start + "3 -1 1 2\n", model));
    EXPECT_FALSE(read(start + "4 0 1 2 -1\n", model));
    // Formatted input keeps the low 32 bits of an over-long integer.
    ASSERT_TRUE(read(start + "4 0 1 2 4294967299\n", model));
    EXPECT_EQ(faceOf(model, 0)[3], 3);
}

TEST_F(OffRead, VertexLineRules) {
    std::string faces = "3 0 1 2\n";
    EXPECT_TRUE(read("OFF\n3 1\n0 0 0 255 0 0\n1 0 0\n0 1 0\n" + faces, model));
    EXPECT_FALSE(read("OFF\n3 1\n0 0\n1 0 0\n0 1 0\n" + faces, model));
    EXPECT_FALSE(read("OFF\n3 1\n0 0 x\n1 0 0\n0 1 0\n" + faces, model));
    // Values that cannot be brought into view coordinates.
    EXPECT_FALSE(read("OFF\n3 1\ninf 0 0\n1 0 0\n0 1 0\n" + faces, model));
    EXPECT_FALSE(read("OFF\n3 1\nnan 0 0\n1 0 0\n0 1 0\n" + faces, model));
    EXPECT_FALSE(read("OFF\n3 1\n3e38 0 0\n3e38 0 0\n0 1 0\n" + faces, model));
}

TEST_F(OffRead, CoincidentVerticesKeepTheUnitScale) {
    ASSERT_TRUE(read("OFF\n1 1\n2 3 4\n4 0 0 0 0\n", model));
    EXPECT_EQ(model.modelScale, 1.0f);
    EXPECT_EQ(model.modelCenter[1], 3.0f);
    EXPECT_EQ(model.vertexX[0], 0.0f);
    EXPECT_FALSE(std::isnan(model.vertexY[0]));
    EXPECT_EQ(model.commonBaseLength, 0.0f);
}

TEST_F(OffRead, CommonBaseIsTheLongestFirstEdge) {
    // Face 0 has the long edge 1 -> 2 but its base 0 -> 1 is short.
    ASSERT_TRUE(read(lines({"OFF", "3 2", "0 0 0", "1 0 0", "-9 9 0", "3 0 1 2", "3 1 0 2"}), model));
    std::swap(model, mesh);
    float expected = vertexDistance(0, 1);
    std::swap(model, mesh);
    EXPECT_EQ(model.commonBaseLength, expected);
    EXPECT_LT(model.commonBaseLength, 0.1f);
}

TEST_F(OffRead, FailureLeavesTheTargetUntouched) {
    ASSERT_TRUE(read(cube, model));
    Mesh before = model;
    std::vector<float> xs(model.vertexX, model.vertexX + 8);
    std::string broken = cube.substr(0, cube.size() - 4);
    EXPECT_FALSE(read(broken, model));
    EXPECT_EQ(std::memcmp(&before, &model, sizeof model), 0);
    EXPECT_EQ(std::vector<float>(model.vertexX, model.vertexX + 8), xs);
}

TEST_F(OffRead, EveryTruncationFailsCleanly) {
    std::string text = "* cube\n" + cube;
    for (size_t size = 0; size + 1 < text.size(); ++size) {
        EXPECT_FALSE(readOffText(text.data(), size, model)) << "prefix of " << size << " bytes";
    }
    // Without only its final LF the last line is still read whole.
    ASSERT_TRUE(readOffText(text.data(), text.size() - 1, model));
    EXPECT_EQ(faceOf(model, 5), (std::vector<int32_t>{3, 0, 4, 7}));
}

TEST_F(OffRead, NulByteEndsTheText) {
    std::string text = cube;
    text[text.size() - 3] = '\0';  // inside the last face line
    EXPECT_FALSE(read(text, model));
    std::string trailing = cube + std::string("\0garbage", 8);
    EXPECT_TRUE(read(trailing, model));
}

namespace {

// A large model's text, line by line: the header, the counts, a vertex line
// per vertex (as the writer formats coordinates) and a face line per face.
struct LargeText {
    std::vector<float> positions;
    std::vector<int32_t> corners;
    std::vector<std::string> lines;
    int32_t vertexCount = 0, faceCount = 0;
    size_t firstVertexLine() const { return 2; }
    size_t firstFaceLine() const { return 2 + static_cast<size_t>(vertexCount); }
    std::string text() const {
        std::string all;
        for (const std::string& line : lines) all.append(line).append("\n");
        return all;
    }
};

LargeText largeText(int32_t vertexCount, int32_t faceCount) {
    LargeText t;
    t.vertexCount = vertexCount;
    t.faceCount = faceCount;
    t.lines = {"OFF", std::to_string(vertexCount)};
    t.lines[1].append(" ").append(std::to_string(faceCount)).append(" 0");
    std::mt19937 random(7);
    std::uniform_real_distribution<float> coordinate(-50.0f, 50.0f);
    for (int32_t v = 0; v < vertexCount; ++v) {
        std::string line;
        for (int axis = 0; axis < 3; ++axis) {
            float value = coordinate(random);
            t.positions.push_back(value);
            char field[16];
            line.append(field, static_cast<size_t>(formatCoordinateField(value, field))).append(" ");
        }
        t.lines.push_back(line);
    }
    for (int32_t f = 0; f < faceCount; ++f) {
        int32_t c[4] = {f % vertexCount, (f + 1) % vertexCount, (f + 2) % vertexCount, f % 2 == 0 ? -1 : (f + 3) % vertexCount};
        t.corners.insert(t.corners.end(), c, c + 4);
        std::string line = c[3] < 0 ? "3" : "4";
        for (int k = 0; k < (c[3] < 0 ? 3 : 4); ++k) line.append(" ").append(std::to_string(c[k]));
        t.lines.push_back(line);
    }
    return t;
}

bool sameModel(const Mesh& a, const Mesh& b) {
    if (a.vertexCount != b.vertexCount || a.faceCount != b.faceCount) return false;
    size_t v = static_cast<size_t>(a.vertexCount) * sizeof(float), f = static_cast<size_t>(a.faceCount) * sizeof(int32_t);
    return std::memcmp(a.vertexX, b.vertexX, v) == 0 && std::memcmp(a.vertexY, b.vertexY, v) == 0 &&
           std::memcmp(a.vertexZ, b.vertexZ, v) == 0 && std::memcmp(a.faceA, b.faceA, f) == 0 &&
           std::memcmp(a.faceB, b.faceB, f) == 0 && std::memcmp(a.faceC, b.faceC, f) == 0 &&
           std::memcmp(a.faceD, b.faceD, f) == 0 && std::memcmp(a.modelCenter, b.modelCenter, sizeof a.modelCenter) == 0 &&
           sameBits(a.modelScale, b.modelScale) && sameBits(a.commonBaseLength, b.commonBaseLength);
}

void release(Mesh& m) {
    std::swap(m, mesh);
    freeModel();
    std::swap(m, mesh);
}

void expectReadAsInOneGo(int32_t vertexCount, int32_t faceCount) {
    const LargeText base = largeText(vertexCount, faceCount);
    Mesh expected;
    ASSERT_TRUE(readOffNumbers(base.positions.data(), vertexCount, base.corners.data(), faceCount, expected));
    size_t vertexHalf = base.firstVertexLine() + vertexCount / 2, faceStart = base.firstFaceLine();
    size_t faceHalf = faceStart + faceCount / 2, last = base.lines.size() - 1;
    std::string overlong(81, '-');
    overlong[0] = '*';
    struct Case {
        const char* name;
        std::vector<std::pair<size_t, std::string>> inserted;  // before line, text
        std::vector<std::pair<size_t, std::string>> replaced;
        bool dropFinalLf, cutLastFaces, reads;
    };
    const Case cases[] = {
        {"plain", {}, {}, false, false, true},
        {"blank and comment lines at every half",
         {{vertexHalf, "* here"}, {vertexHalf, ""}, {faceStart, "   "}, {faceHalf, "*"}, {faceHalf + 1, "x"}, {last, ""}},
         {}, false, false, true},
        {"no final LF", {}, {}, true, false, true},
        {"bad coordinate in the first half", {}, {{base.firstVertexLine() + 1, "0 x 0"}}, false, false, false},
        {"bad coordinate in the second half", {}, {{faceStart - 1, "0 0"}}, false, false, false},
        {"corner out of range in the second half", {}, {{last, "3 0 1 " + std::to_string(vertexCount)}}, false, false,
         false},
        {"five corners in the first half", {}, {{faceStart + 3, "5 0 1 2 3 4"}}, false, false, false},
        {"overlong comment in the second half", {{faceHalf + 100, overlong}}, {}, false, false, false},
        {"overlong comment before the faces", {{faceStart, overlong}}, {}, false, false, false},
        {"text stops short", {}, {}, false, true, false},
    };
    for (const Case& c : cases) {
        LargeText t = base;
        for (const auto& [line, text] : c.replaced) t.lines[line] = text;
        // Inserted from the last place back, so earlier places stay where they are.
        auto inserted = c.inserted;
        std::stable_sort(inserted.begin(), inserted.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
        for (const auto& [line, text] : inserted) t.lines.insert(t.lines.begin() + static_cast<std::ptrdiff_t>(line), text);
        if (c.cutLastFaces) t.lines.resize(t.lines.size() - 40);
        std::string text = t.text();
        if (c.dropFinalLf) text.pop_back();
        Mesh model;
        bool reads = readOffText(text.data(), text.size(), model);
        EXPECT_EQ(reads, c.reads) << c.name;
        if (reads && c.reads) {
            EXPECT_TRUE(sameModel(model, expected)) << c.name;
        }
        if (reads) release(model);
    }
    release(expected);
}

}  // namespace

// A large model is read on two threads, in halves (as many faces as
// vertices) or the vertices beside the faces (twice as many faces): blank
// and comment lines anywhere, a fault in either part and a text that stops
// short must give what reading it in one go gives.
TEST(OffReadLarge, HalvesReadAsOneGo) {
    for (auto [vertexCount, faceCount] : {std::pair{12001, 12003}, std::pair{8001, 16003}}) {
        SCOPED_TRACE(faceCount);
        expectReadAsInOneGo(vertexCount, faceCount);
    }
}