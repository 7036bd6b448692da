// The text Memo1 gets for an answer: as it is on Windows, with combining marks shown
// as "◌" under Wine, whose edit control has faulted on them.
#include "memo_text.h"

#include <gtest/gtest.h>

using namespace window;

TEST(MemoText, OnWindowsTheTextIsShownAsItIs) {
    const std::wstring text = L"Влади\u0301мир\r\n\u0772]\u05B2 a\u0300\u0301\u0302";
    EXPECT_EQ(MemoText(text, false), text);
}

TEST(MemoText, UnderWineEachNonSpacingMarkBecomesADottedCircle) {
    EXPECT_EQ(MemoText(L"\u0772]\u05B2", true), L"\u0772]\u25CC");
    EXPECT_EQ(MemoText(L"Влади\u0301мир", true), L"Влади\u25CCмир");
    EXPECT_EQ(MemoText(L"a\u0300\u0301\u0302b", true), L"a\u25CC\u25CC\u25CCb");
    // Letters, line breaks, surrogate pairs and U+FFFD stay as they are.
    const std::wstring plain = L"<name>Суд №1</name>\r\n\U0001F600 \uFFFD й ё";
    EXPECT_EQ(MemoText(plain, true), plain);
    EXPECT_EQ(MemoText(L"", true), L"");
}
