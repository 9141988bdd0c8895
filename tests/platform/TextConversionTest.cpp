#include "platform/TextConversion.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace nodrix::platform {
namespace {

// The wide exports convert into buffers of this size.
constexpr std::size_t kNameBuffer = 1024;

TEST(TextConversionTest, AsciiRoundTrip) {
    char narrow[kNameBuffer];
    ASSERT_TRUE(Utf16ToAnsi(u"C:\\images\\frame_001.bmp", narrow, sizeof narrow));
    EXPECT_STREQ(narrow, "C:\\images\\frame_001.bmp");
    char16_t wide[kNameBuffer];
    ASSERT_TRUE(AnsiToUtf16(narrow, wide, kNameBuffer));
    EXPECT_EQ(std::u16string(wide), u"C:\\images\\frame_001.bmp");
}

TEST(TextConversionTest, FitsOnlyWithItsTerminatingZero) {
    char narrow[kNameBuffer];
    const std::u16string longest(kNameBuffer - 1, u'a');
    ASSERT_TRUE(Utf16ToAnsi(longest.c_str(), narrow, sizeof narrow));
    EXPECT_EQ(std::string(narrow), std::string(kNameBuffer - 1, 'a'));

    const std::u16string tooLong(kNameBuffer, u'a');
    EXPECT_FALSE(Utf16ToAnsi(tooLong.c_str(), narrow, sizeof narrow));
    EXPECT_STREQ(narrow, "");

    char16_t wide[4];
    EXPECT_FALSE(AnsiToUtf16("abcd", wide, 4));
    EXPECT_EQ(wide[0], u'\0');
    EXPECT_TRUE(AnsiToUtf16("abc", wide, 4));
}

TEST(TextConversionTest, EmptyTextAndEmptyBuffer) {
    char narrow[1];
    EXPECT_TRUE(Utf16ToAnsi(u"", narrow, sizeof narrow));
    EXPECT_STREQ(narrow, "");
    EXPECT_FALSE(Utf16ToAnsi(u"x", narrow, 0));
    EXPECT_FALSE(Utf16ToAnsi(nullptr, narrow, sizeof narrow));
}

#ifdef _WIN32
// The thread's ANSI code page maps what it can and puts its default
// character for the rest, which is a successful conversion.
TEST(TextConversionTest, AnsiCodePageReplacesWhatItCannotMap) {
    if (GetACP() != 1252) GTEST_SKIP() << "code page " << GetACP();
    char narrow[16];
    ASSERT_TRUE(Utf16ToAnsi(u"\u00e9\u65e5", narrow, sizeof narrow));
    EXPECT_STREQ(narrow, "\xe9?");
    char16_t wide[16];
    ASSERT_TRUE(AnsiToUtf16("\xe9", wide, 16));
    EXPECT_EQ(wide[0], u'\u00e9');
}
#else
// Natively the narrow side is UTF-8.
TEST(TextConversionTest, NonAsciiTextBecomesUtf8) {
    char narrow[kNameBuffer];
    ASSERT_TRUE(Utf16ToAnsi(u"\u65e5\u672c/\u00e9/\U0001F4F7", narrow, sizeof narrow));
    EXPECT_STREQ(narrow, "\xe6\x97\xa5\xe6\x9c\xac/\xc3\xa9/\xf0\x9f\x93\xb7");
    char16_t wide[kNameBuffer];
    ASSERT_TRUE(AnsiToUtf16(narrow, wide, kNameBuffer));
    EXPECT_EQ(std::u16string(wide), u"\u65e5\u672c/\u00e9/\U0001F4F7");
}

TEST(TextConversionTest, MultiByteTextCountsItsBytesAgainstTheLimit) {
    char narrow[kNameBuffer];
    // 341 three-byte characters are 1023 bytes; one more does not fit.
    EXPECT_TRUE(Utf16ToAnsi(std::u16string(341, u'\u65e5').c_str(), narrow, sizeof narrow));
    EXPECT_FALSE(Utf16ToAnsi(std::u16string(342, u'\u65e5').c_str(), narrow, sizeof narrow));
    EXPECT_STREQ(narrow, "");
}

TEST(TextConversionTest, UnpairedSurrogatesAndMalformedUtf8Fail) {
    char narrow[16];
    const char16_t loneHigh[] = {u'a', 0xD83D, u'b', 0};
    const char16_t loneLow[] = {0xDCF7, 0};
    const char16_t highAtEnd[] = {0xD83D, 0};
    EXPECT_FALSE(Utf16ToAnsi(loneHigh, narrow, sizeof narrow));
    EXPECT_FALSE(Utf16ToAnsi(loneLow, narrow, sizeof narrow));
    EXPECT_FALSE(Utf16ToAnsi(highAtEnd, narrow, sizeof narrow));

    char16_t wide[16];
    EXPECT_FALSE(AnsiToUtf16("\xc3", wide, 16));          // cut short
    EXPECT_FALSE(AnsiToUtf16("\xc0\xaf", wide, 16));      // overlong
    EXPECT_FALSE(AnsiToUtf16("\xed\xa0\x80", wide, 16));  // encoded surrogate
    EXPECT_FALSE(AnsiToUtf16("\xff", wide, 16));
}
#endif

}  // namespace
}  // namespace nodrix::platform
