// Parsing of OFF model files: the header with its optional texture name, the
// counts, the vertex and face lines, then centring and scaling into view
// coordinates.
#pragma once

#include <cstddef>
#include <string_view>

#include "mesh/mesh.h"

// Longest line the reader takes, LF excluded, a CR before it included.
inline constexpr size_t offLineLimit = 80;
// The header line may be longer: "OFF", two blanks and a texture name of up
// to 123 characters (and a CR), so that every header the writer makes reads
// back.
inline constexpr size_t offHeaderLineLimit = 129;

enum LineResult : int {
    LineTaken = 0,        // a line and its LF were cut off the text
    LastLine = 1,         // the rest of the text, which holds no LF
    LineTooLong = 2,      // the line before the next LF is over the limit
    LastLineTooLong = 3,  // the rest of the text holds no LF and is over the limit
};

// Cuts the first line off `text` into `line` (a view into the text, without
// its LF). Too long: `line` is empty and `text` is left as it was. The last
// line without LF is taken out of the text as well, so the text ends empty.
LineResult takeLine(std::string_view& text, std::string_view& line, size_t limit);
// Takes lines until one is neither blank nor a comment; any result other
// than LineTaken ends it at once with that line, untested.
LineResult nextDataLine(std::string_view& text, std::string_view& line, size_t limit);
// Blank: every character but the last is a space. Comment: starts with '*'.
bool isBlankLine(std::string_view line);
bool isCommentLine(std::string_view line);

// Whether the header line "OFF  name" reads back as `name`: one word, no
// white space (C locale), no NUL, at most 123 characters.
bool isStorableTextureName(std::string_view name);

// Parses a whole OFF text (it ends at `size` or at a NUL byte, whichever
// comes first). On success fills `into` completely: the seven arrays
// allocated with exactly the counts (the arrays `into` held are released),
// the model centred and scaled into view coordinates, the texture name and
// the common base length. A malformed text, or memory running out (then
// *memoryExhausted is set when given), returns false and leaves `into`
// untouched.
bool readOffText(const char* text, size_t size, Mesh& into, bool* memoryExhausted = nullptr);

// Builds `into` as readOffText would from an OFF text holding these numbers
// without a texture name: each coordinate as "%15.8g" writes it and read
// back, corners a b c d per face (d = -1 for a triangle). Counts below 1,
// corners naming no vertex and coordinates out of reach are refused as
// readOffText refuses them.
bool readOffNumbers(const float* positions, int32_t vertexCount, const int32_t* corners, int32_t faceCount,
                    Mesh& into, bool* memoryExhausted = nullptr);
