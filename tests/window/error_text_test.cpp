#include "error_text.h"

#include <gtest/gtest.h>

using namespace window;

TEST(ErrorDisplayText, AppendsAFullStopOnlyAfterCharactersAboveFullStop) {
    EXPECT_EQ(ErrorDisplayText(L"abc"), L"abc.");
    EXPECT_EQ(ErrorDisplayText(L"Line: 7"), L"Line: 7.");
    EXPECT_EQ(ErrorDisplayText(L"Ошибка"), L"Ошибка.");
    EXPECT_EQ(ErrorDisplayText(L"x/"), L"x/.");  // U+002F is the first character above "."
    EXPECT_EQ(ErrorDisplayText(L"x)"), L"x)");
    EXPECT_EQ(ErrorDisplayText(L"x."), L"x.");
    EXPECT_EQ(ErrorDisplayText(L"x!"), L"x!");
    EXPECT_EQ(ErrorDisplayText(L"x-"), L"x-");
    EXPECT_EQ(ErrorDisplayText(L"x "), L"x ");
    EXPECT_EQ(ErrorDisplayText(L"x\r\n"), L"x\r\n");
    EXPECT_EQ(ErrorDisplayText(L""), L"");
}
