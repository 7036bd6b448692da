#include "wire_text.h"

#include <gtest/gtest.h>

using CustomPipes::wire::DecodeLines;
using CustomPipes::wire::DecodeUtf8;
using CustomPipes::wire::SplitLines;

namespace {

std::vector<std::wstring> Split(std::wstring_view text) {
    std::vector<std::wstring> out;
    for (std::wstring_view line : SplitLines(text)) out.emplace_back(line);
    return out;
}

using Lines = std::vector<std::wstring>;

}  // namespace

TEST(WireText, LinesEndAtCrLfLoneCrAndLoneLf) {
    EXPECT_EQ(Split(L"a\r\nb\r\nc\r\n"), (Lines{L"a", L"b", L"c"}));
    EXPECT_EQ(Split(L"a\r\nb\r\nc"), (Lines{L"a", L"b", L"c"}));
    EXPECT_EQ(Split(L"a\rb\nc"), (Lines{L"a", L"b", L"c"}));
    EXPECT_EQ(Split(L"a\n\rb"), (Lines{L"a", L"", L"b"}));
    EXPECT_EQ(Split(L"a\r\n\r\n"), (Lines{L"a", L""}));
    EXPECT_EQ(Split(L"\n"), (Lines{L""}));
    EXPECT_EQ(Split(L""), Lines{});
}

TEST(WireText, Utf8DecodingReplacesEachMalformedSequence) {
    EXPECT_EQ(DecodeUtf8("\xD0\xB2\xD0\xBB"), L"вл");
    EXPECT_EQ(DecodeUtf8("\xF0\x9F\x98\x80"), L"\xD83D\xDE00");             // four bytes: a surrogate pair
    EXPECT_EQ(DecodeUtf8("a\xFF" "b"), L"a\uFFFDb");                        // never a lead byte
    EXPECT_EQ(DecodeUtf8("a\xD0"), L"a\uFFFD");                             // cut at the end
    EXPECT_EQ(DecodeUtf8("\xE2\x82" "a"), L"\uFFFDa");                      // truncated: one replacement
    EXPECT_EQ(DecodeUtf8("\x80\x80"), L"\uFFFD\uFFFD");                     // stray continuations
    EXPECT_EQ(DecodeUtf8("\xC0\xAF"), L"\uFFFD\uFFFD");                     // overlong
    EXPECT_EQ(DecodeUtf8("\xED\xA0\x80"), L"\uFFFD\uFFFD\uFFFD");           // encoded surrogate
    EXPECT_EQ(DecodeUtf8("\xF4\x90\x80\x80"), L"\uFFFD\uFFFD\uFFFD\uFFFD"); // beyond U+10FFFF
    EXPECT_EQ(DecodeUtf8("\xE0\xA0\x80"), L"\u0800");
    EXPECT_EQ(DecodeUtf8("\xF4\x8F\xBF\xBF"), L"\xDBFF\xDFFF");
}

TEST(WireText, EncodingThenAnsiBytesGivesUtf8UnderEverySingleByteCodePage) {
    const std::wstring text = L"Суд ИЖ № 5 — «ё» \U0001F600 café";
    for (UINT cp : {1251u, 1252u, 866u}) {
        const std::wstring encoded = CustomPipes::wire::EncodeValue(text, cp);
        EXPECT_EQ(CustomPipes::wire::ToAnsiBytes(encoded, cp), CustomPipes::wire::ToUtf8(text)) << cp;
        EXPECT_EQ(DecodeLines(encoded, cp), Lines{text}) << cp;
    }
}

TEST(WireText, DecodedLinesKeepMalformedContentAsReplacementCharacters) {
    // "\u0420" is byte D0 under 1251: alone at a line's end it is a cut sequence.
    EXPECT_EQ(DecodeLines(L"ok\r\n\u0420\r\n\r\nend", 1251), (Lines{L"ok", L"\uFFFD", L"", L"end"}));
    // A character 1251 cannot hold becomes its default character "?".
    EXPECT_EQ(DecodeLines(L"\u4E2D", 1251), Lines{L"?"});
}

TEST(WireText, JoinedLinesAreTheLinesWithCrLfBetween) {
    for (std::wstring_view text : {L"", L"a", L"a\r\n", L"a\r\nb", L"\u0420\r\u0420\u00B0\n\n\u4E2D\r\n"}) {
        const std::vector<std::wstring> lines = DecodeLines(text, 1251);
        std::wstring joined;
        for (size_t i = 0; i < lines.size(); ++i) joined += (i ? L"\r\n" : L"") + lines[i];
        EXPECT_EQ(CustomPipes::wire::DecodeLinesJoined(text, 1251), joined) << ::testing::PrintToString(std::wstring(text));
    }
}

TEST(WireText, TextUpToNulStopsAtTheFirstNulOrTheEndOfTheBytes) {
    const wchar_t withNul[] = L"ab\0cd";
    EXPECT_EQ(CustomPipes::wire::TextUpToNul(withNul, sizeof withNul), L"ab");
    const wchar_t noNul[] = {L'x', L'y', L'z'};
    EXPECT_EQ(CustomPipes::wire::TextUpToNul(noNul, sizeof noNul), L"xyz");
    EXPECT_EQ(CustomPipes::wire::TextUpToNul(noNul, 5), L"xy");  // an odd byte count drops the half character
    EXPECT_EQ(CustomPipes::wire::TextUpToNul(noNul, 0), L"");
}

TEST(WireText, LoneSurrogatesAreFound) {
    EXPECT_EQ(CustomPipes::wire::FindLoneSurrogate(L"ab"), std::nullopt);
    EXPECT_EQ(CustomPipes::wire::FindLoneSurrogate(L"a\xD83D\xDE00"), std::nullopt);
    EXPECT_EQ(CustomPipes::wire::FindLoneSurrogate(L"a\xD83D"), 1u);
    EXPECT_EQ(CustomPipes::wire::FindLoneSurrogate(L"\xDE00\xD83D"), 0u);
    EXPECT_EQ(CustomPipes::wire::FindLoneSurrogate(L"a\xD83D" L"b"), 1u);
}
