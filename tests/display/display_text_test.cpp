#include "display_text.h"

#include <gtest/gtest.h>

using display::EscapeControls;
using display::SafeForDisplay;

namespace {

// The rule for the monitor's lines and the one for the server's controls.
using Show = std::wstring (*)(std::wstring_view, size_t);
const Show kBothRules[] = {&SafeForDisplay, [](std::wstring_view text, size_t) { return EscapeControls(text); }};

}  // namespace

TEST(DisplayText, PlainCyrillicAndAsciiPassUnchanged) {
    for (const Show shown : kBothRules) {
        EXPECT_EQ(shown(L"Суд № 5 <ул. Ёлочная>\tC:\\x", 400), L"Суд № 5 <ул. Ёлочная>\tC:\\x");
        EXPECT_EQ(shown(L"\U0001F600", 400), L"\U0001F600");
    }
}

TEST(DisplayText, StackedCombiningMarksNeverReachAControl) {
    const std::wstring zalgo = L"a\u0301\u0302\u0303\u0489\u20DD\u1DC0\uFE20";
    EXPECT_EQ(SafeForDisplay(zalgo), L"a\u25CC\u25CC\u25CC\u25CC\u25CC\u25CC\u25CC");
    for (wchar_t c = 0x0300; c <= 0x036F; ++c) EXPECT_EQ(SafeForDisplay(std::wstring(1, c)), L"\u25CC") << int(c);
    // A terminal lays marks out well: there they are shown as they are.
    EXPECT_EQ(EscapeControls(zalgo), zalgo);
}

TEST(DisplayText, ControlFormatAndLoneSurrogatesAreShownAsTheirCodes) {
    for (const Show shown : kBothRules) {
        EXPECT_EQ(shown(std::wstring(L"a\0b\r\n\x1B\x7F\x85", 8), 400), L"a\\x00b\\x0D\\x0A\\x1B\\x7F\\x85");
        EXPECT_EQ(shown(L"Real\b\b\b\bFAKE\x1B[2K\x1B[1A\a", 400), L"Real\\x08\\x08\\x08\\x08FAKE\\x1B[2K\\x1B[1A\\x07");
        EXPECT_EQ(shown(L"\u202Eevil\u200B\uFEFF", 400), L"\\u202Eevil\\u200B\\uFEFF");
        EXPECT_EQ(shown(std::wstring(L"x\xD800y\xDC00", 4), 400), L"x\\uD800y\\uDC00");
    }
}

TEST(DisplayText, LongTextIsCutWithoutSplittingAPairOrAnEscape) {
    EXPECT_EQ(SafeForDisplay(std::wstring(10, L'a'), 4), L"aaaa\u2026");
    EXPECT_EQ(SafeForDisplay(std::wstring(10, L'a'), 10), std::wstring(10, L'a'));
    EXPECT_EQ(SafeForDisplay(L"abc\U0001F600", 4), L"abc\u2026");
    EXPECT_EQ(SafeForDisplay(L"ab\x1B", 4), L"ab\u2026");
    EXPECT_EQ(SafeForDisplay(std::wstring(5000, L'я')).size(), display::kMaxDisplayCharacters + 1);
}
