// Shortest decimal text of a float: the digits of the shortest string that
// reads back to it (the closest such string when several are as short), laid
// out in fixed or scientific notation, whichever is shorter (fixed on a
// tie): byte for byte what std::to_chars(first, last, value) writes.
#pragma once

// Writes at most 15 characters at `out`, which must have room for 16 (the
// text is copied out in one block); returns their end.
char* appendShortestFloat(char* out, float value);
