#include "display_text.h"

#include <gtest/gtest.h>

using sample_server::SafeForDisplay;

TEST(DisplayText, PlainCyrillicAndAsciiPassUnchanged) {
    EXPECT_EQ(SafeForDisplay(L"Суд № 5 <ул. Ёлочная>"), L"Суд № 5 <ул. Ёлочная>");
    EXPECT_EQ(SafeForDisplay(L"\U0001F600"), L"\U0001F600");
}

TEST(DisplayText, StackedCombiningMarksNeverReachAControl) {
    const std::wstring zalgo = L"a\u0301\u0302\u0303\u0489\u20DD\u1DC0\uFE20";
    EXPECT_EQ(SafeForDisplay(zalgo), L"a\u25CC\u25CC\u25CC\u25CC\u25CC\u25CC\u25CC");
    for (wchar_t c = 0x0300; c <= 0x036F; ++c) EXPECT_EQ(SafeForDisplay(std::wstring(1, c)), L"\u25CC") << int(c);
}

TEST(DisplayText, ControlFormatAndLoneSurrogatesBecomeReplacementCharacters) {
    EXPECT_EQ(SafeForDisplay(std::wstring(L"a\0b\r\n\x1B\x85", 7)), L"a\uFFFDb\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(SafeForDisplay(L"\u202Eevil\u200B"), L"\uFFFDevil\uFFFD");
    EXPECT_EQ(SafeForDisplay(std::wstring(L"x\xD800y\xDC00", 4)), L"x\uFFFDy\uFFFD");
}

TEST(DisplayText, LongTextIsCutWithoutSplittingAPair) {
    EXPECT_EQ(SafeForDisplay(std::wstring(10, L'a'), 4), L"aaaa\u2026");
    EXPECT_EQ(SafeForDisplay(std::wstring(10, L'a'), 10), std::wstring(10, L'a'));
    EXPECT_EQ(SafeForDisplay(L"abc\U0001F600", 4), L"abc\u2026");
    EXPECT_EQ(SafeForDisplay(std::wstring(5000, L'я')).size(), sample_server::kMaxDisplayCharacters + 1);
}
