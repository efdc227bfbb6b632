#include "platform/decimal.h"
#include "platform/utf16limit.h"

#include <gtest/gtest.h>

#include <climits>

namespace varlok::platform {
namespace {

TEST(Utf16Limit, CountsAsWindowsAndNeverSplitsACharacter) {
    EXPECT_EQ(TruncateToUtf16Units("abcdef", 3), "abc");
    EXPECT_EQ(TruncateToUtf16Units("宏宏", 1), "宏");
    EXPECT_EQ(TruncateToUtf16Units("é", 1), "é");
    const std::string emoji = "\xF0\x9F\x98\x80";
    EXPECT_EQ(TruncateToUtf16Units("a" + emoji, 2), "a") << "a surrogate pair is not cut";
    EXPECT_EQ(TruncateToUtf16Units("a" + emoji, 3), "a" + emoji);
    EXPECT_EQ(TruncateToUtf16Units("", 0), "");
    EXPECT_EQ(TruncateToUtf16Units("abc", 0), "");
}

TEST(Utf16Limit, MalformedBytesCountOneEachAndStay) {
    EXPECT_EQ(TruncateToUtf16Units("\xFF\xFE"
                                   "abc",
                                   3),
              "\xFF\xFE"
              "a");
    EXPECT_EQ(TruncateToUtf16Units("\xE5\xAE", 1), "\xE5") << "a truncated sequence";
    EXPECT_EQ(TruncateToUtf16Units("\xC0\x80x", 2), "\xC0\x80") << "overlong form";
    EXPECT_EQ(TruncateToUtf16Units("\xED\xA0\x80", 2), "\xED\xA0") << "encoded surrogate";
}

TEST(Decimal, ReadsLikeWtoi) {
    EXPECT_EQ(ParseDecimal("0"), 0);
    EXPECT_EQ(ParseDecimal("1010"), 1010);
    EXPECT_EQ(ParseDecimal("  -42x"), -42);
    EXPECT_EQ(ParseDecimal("+7"), 7);
    EXPECT_EQ(ParseDecimal("abc"), 0);
    EXPECT_EQ(ParseDecimal(""), 0);
    EXPECT_EQ(ParseDecimal("- 5"), 0);
    EXPECT_EQ(ParseDecimal("2147483647"), INT_MAX);
    EXPECT_EQ(ParseDecimal("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseDecimal("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseDecimal("-99999999999"), INT_MIN);
}

}  // namespace
}  // namespace varlok::platform
