#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/digit_text.h"

namespace {

std::string library(int64_t value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// The text of `value`, in a buffer whose bytes past it are checked to be
// untouched beyond the 8 the fast path may store.
std::string ours(int64_t value) {
    char text[40];
    std::memset(text, '#', sizeof text);
    char* end = appendDecimal(text, value);
    for (char* p = text + std::max<std::ptrdiff_t>(end - text, 8); p < text + sizeof text; ++p) EXPECT_EQ(*p, '#');
    return std::string(text, end);
}

}  // namespace

TEST(DigitText, DecimalsAsTheLibraryWritesThem) {
    // Every value below 10^8 passes through the eight-digit text; every
    // digit count, every digit in every place.
    for (int64_t value = 0; value < 100000000; value += 1 + value / 4096) {
        ASSERT_EQ(ours(value), library(value)) << value;
    }
    const int64_t edges[] = {0, 9, 10, 99, 100, 9999999, 10000000, 12345678, 99999999, 100000000, 2147483647,
                             -1, -2147483648LL, INT64_MAX, INT64_MIN};
    for (int64_t value : edges) EXPECT_EQ(ours(value), library(value)) << value;
    for (uint32_t n = 0; n < 100000000; n += 7919) {
        uint64_t text = eightDigitText(n);
        char digits[9] = {};
        std::memcpy(digits, &text, 8);
        char expected[9];
        std::snprintf(expected, sizeof expected, "%08u", n);
        ASSERT_STREQ(digits, expected);
    }
}
