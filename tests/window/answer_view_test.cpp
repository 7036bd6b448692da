// Varnel's answers shown in Memo1: the data-ready message through the message hook, and
// whatever "Varnel2" holds when it comes: the real window shows exactly the lines the
// rules give, and goes on working.
#include "blocks.h"
#include "demo_process.h"
#include "memo_text.h"
#include "random_text.h"
#include "registry_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

using namespace ControlId;
using namespace window_driving;

namespace {

constexpr size_t kPage = 4096;
constexpr size_t kCourtBlock = 65536;

// Sizes from one page to past the court block's 64 KB; the edges first.
size_t BlockSize(RandomText& random, int round) {
    static constexpr size_t kEdges[] = {4096, 4097, 32768, 65534, 65535, 65536, 65537, 69632, 131072};
    if (round < static_cast<int>(std::size(kEdges))) return kEdges[round];
    // Most blocks are small, so that a few hundred are shown within the time a test has.
    return kPage + random.Below(random.Chance(80) ? 12288 : 70000);
}

// The answer text the demo must read: what it sees of the block up to its first NUL.
std::wstring VisibleText(const std::vector<unsigned char>& content) {
    const std::vector<unsigned char> seen = SeenInBlock(content, kCourtBlock);
    return std::wstring(CustomPipes::wire::TextUpToNul(seen.data(), seen.size()));
}

// Lines as Varnel writes them: each value's UTF-8 bytes as ANSI characters, the lines
// separated by terminator.
std::wstring WireText(const std::vector<std::wstring>& lines, const std::wstring& terminator, bool finalTerminator) {
    std::wstring text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += terminator;
        text += CustomPipes::wire::EncodeValue(lines[i]);
    }
    if (finalTerminator) text += terminator;
    return text;
}

std::wstring Joined(const std::vector<std::wstring>& lines) {
    std::wstring text;
    for (size_t i = 0; i < lines.size(); ++i) text += (i > 0 ? L"\r\n" : L"") + lines[i];
    return text;
}

const std::vector<std::wstring> kAnswer = {L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", L"<Courts>",
                                           L"  <Court>Ленинский районный суд г. Владимира</Court>", L"</Courts>"};

// Memo1's text for the decoded lines of answer text, under Wine with each combining
// mark shown as U+25CC.
std::wstring ShownInMemo(std::wstring_view answer) { return window::MemoText(MemoFor(answer), window::RunsUnderWine()); }

}  // namespace

class AnswerView : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteServerRecord();
        ASSERT_NE(demo_.MainWindow(), nullptr);
        ASSERT_TRUE(block_->IsMapped());
        memo_ = demo_.Control(Memo1);
    }
    void TearDown() override { EXPECT_FALSE(HasEnded(demo_)) << "the demo ended"; }

    // Posts Varnel's data-ready message as Varnel does, and waits until it is taken.
    void PostDataReady(const wchar_t* name = L"WM_TO_DATA_FROM_VARNEL_READY_EVENT") {
        ::PostMessageW(demo_.MainWindow(), ::RegisterWindowMessageW(name), 0, 0);
        ASSERT_TRUE(demo_.Flush()) << "the demo stopped taking messages";
    }

    window_driving::DemoProcess demo_{DemoPath()};
    std::optional<CustomPipes::NamedBlock> block_{CustomPipes::NamedBlock::Create(L"Varnel2", kCourtBlock)};
    HWND memo_{};
};

TEST_F(AnswerView, ShowsTheDecodedLinesOfTheAnswer) {
    PutText(*block_, WireText(kAnswer, L"\r\n", true));
    PostDataReady();
    EXPECT_EQ(window_driving::TextOf(memo_), Joined(kAnswer));
    EXPECT_EQ(::SendMessageW(demo_.Control(PageControl1), TCM_GETCURSEL, 0, 0), 0) << "the page does not change";
}

TEST_F(AnswerView, ALastLineWithOrWithoutItsLineBreakGivesTheSameLines) {
    PutText(*block_, WireText(kAnswer, L"\r\n", false));
    PostDataReady();
    const std::wstring without = window_driving::TextOf(memo_);
    PutText(*block_, L"-");
    PostDataReady();
    ASSERT_EQ(window_driving::TextOf(memo_), L"-");
    PutText(*block_, WireText(kAnswer, L"\r\n", true));
    PostDataReady();
    EXPECT_EQ(window_driving::TextOf(memo_), without);
    EXPECT_EQ(without, Joined(kAnswer));
    EXPECT_EQ(::SendMessageW(memo_, EM_GETLINECOUNT, 0, 0), static_cast<LRESULT>(kAnswer.size()));
}

TEST_F(AnswerView, LoneCarriageReturnsAndLineFeedsEndLinesToo) {
    PutText(*block_, CustomPipes::wire::EncodeValue(L"один") + L"\r" + CustomPipes::wire::EncodeValue(L"два") + L"\n\r" + L"x");
    PostDataReady();
    EXPECT_EQ(window_driving::TextOf(memo_), L"один\r\nдва\r\n\r\nx");
}

TEST_F(AnswerView, TwoAnswersInARowShowOnlyTheSecond) {
    PutText(*block_, WireText(kAnswer, L"\r\n", true));
    PostDataReady();
    const std::vector<std::wstring> second = {L"<Courts/>"};
    PutText(*block_, WireText(second, L"\r\n", true));
    PostDataReady();
    EXPECT_EQ(window_driving::TextOf(memo_), L"<Courts/>");
}

TEST_F(AnswerView, AnotherServicesDataReadyMessageChangesNothing) {
    PutText(*block_, WireText(kAnswer, L"\r\n", true));
    PostDataReady();
    const auto pemba = CustomPipes::NamedBlock::Create(L"pembaData", 4096);
    ASSERT_TRUE(pemba.IsMapped());
    PutText(pemba, L"PEMBA answer");
    PostDataReady(L"WM_TO_DATA_FROM_PEMBA_READY_EVENT");
    PostDataReady(L"WM_TO_DATA_FROM_PEMBA2_READY_EVENT");
    EXPECT_EQ(window_driving::TextOf(memo_), Joined(kAnswer));
}

TEST_F(AnswerView, AWhole64KilobyteAnswerShowsQuickly) {
    // 32767 characters and the NUL: the most the block holds, in lines of 80.
    std::wstring text;
    while (text.size() + 82 <= 32767) text += std::wstring(80, L'a' + static_cast<wchar_t>(text.size() % 26)) + L"\r\n";
    text += std::wstring(32767 - text.size(), L'z');
    ASSERT_EQ(text.size(), 32767u);
    PutText(*block_, text);
    const auto start = std::chrono::steady_clock::now();
    PostDataReady();
    const auto shown = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_EQ(window_driving::TextOf(memo_), text);
    EXPECT_LT(shown.count(), 3000) << "a full answer took " << shown.count() << " ms to show";
    RecordProperty("full_answer_ms", static_cast<int>(shown.count()));
    std::printf("a full 64 KB answer was shown in %d ms\n", static_cast<int>(shown.count()));
}

TEST_F(AnswerView, AnAnswerThatComesWhileTheErrorDisplayIsOpenIsShown) {
    // "&" alone breaks the request document: the send button raises an error.
    window_driving::SetText(demo_.Control(Edit8), L"&");
    window_driving::Click(demo_.Control(Button1));
    const HWND box = demo_.WaitForMessageBox(kTitle);
    ASSERT_NE(box, nullptr) << "no error display";

    // The box's modal loop delivers the message past the hook, to the window itself.
    PutText(*block_, WireText(kAnswer, L"\r\n", true));
    PostDataReady();
    EXPECT_EQ(window_driving::TextOf(memo_), Joined(kAnswer)) << "the answer was dropped by the modal loop";
    window_driving::CloseMessageBox(box);
    ASSERT_TRUE(window_driving::WaitUntil([&] { return !demo_.HasMessageBox(kTitle); }));

    // A notice that names another client's window is not this window's answer.
    PutText(*block_, L"another client's answer");
    ::PostMessageW(demo_.MainWindow(), ::RegisterWindowMessageW(L"WM_TO_DATA_FROM_VARNEL_READY_EVENT"), 0,
                   static_cast<LPARAM>(CustomPipes::WindowHandleValue(demo_.MainWindow()) + 2));
    ASSERT_TRUE(demo_.Flush());
    EXPECT_EQ(window_driving::TextOf(memo_), Joined(kAnswer));
}

TEST_F(AnswerView, RandomBlocksShowExactlyTheLinesOfTheRules) {
    block_.reset();  // this test makes its own "Varnel2"
    RandomText random(TestSeed());
    int rounds = 0, marks = 0, empty = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < 250; ++round) {
        const size_t size = BlockSize(random, round);
        const BlockContent kind = RandomBlockKind(random);
        const std::vector<unsigned char> content = RandomBlockContent(random, size, kind);
        const std::wstring expected = ShownInMemo(VisibleText(content));
        marks += expected.find(L'\u25CC') != std::wstring::npos;
        auto block = CustomPipes::NamedBlock::Create(L"Varnel2", size);
        ASSERT_TRUE(block.IsMapped()) << "round " << round;
        std::memcpy(Bytes(block), content.data(), size);
        PostDataReady();
        ASSERT_FALSE(HasEnded(demo_))
            << "round " << round << ": the demo ended (size " << size << ", kind " << static_cast<int>(kind) << ")";
        ASSERT_EQ(Memo1Text(demo_), expected) << "round " << round << ", size " << size << ", kind " << static_cast<int>(kind);
        empty += expected.empty();
        ++rounds;
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_EQ(rounds, 250);
    EXPECT_GT(marks, 0);
    EXPECT_FALSE(demo_.HasMessageBox(kTitle));
    std::printf("%d random blocks shown in %lld ms (%d with an empty text, %d with a mark shown as U+25CC)\n", rounds,
                static_cast<long long>(ms.count()), empty, marks);
}

TEST_F(AnswerView, ABlockClosedBeforeTheDemoReadsItLeavesTheMemoCleared) {
    block_.reset();  // this test makes its own "Varnel2"
    const std::wstring answer = CustomPipes::wire::EncodeValue(L"<found>1</found>\r\nпервый ответ\r\n");
    // Every round the service closes its block before the demo reads it (for the demo a
    // message that comes after the close is the same as one it takes late): the memo
    // must not keep the earlier answer.
    for (int round = 0; round < 20; ++round) {
        auto block = CustomPipes::NamedBlock::Create(L"Varnel2", kCourtBlock);
        ASSERT_TRUE(block.IsMapped());
        PutText(block, answer);
        PostDataReady();
        ASSERT_EQ(Memo1Text(demo_), MemoFor(answer)) << "round " << round;
        block = {};
        PostDataReady();
        EXPECT_EQ(Memo1Text(demo_), L"") << "round " << round << ": a closed block left the earlier answer shown";
    }
    EXPECT_TRUE(Responds(demo_));
}

TEST_F(AnswerView, StackedCombiningMarksInAnAnswerDoNotEndTheDemo) {
    // Wine's text layout has faulted on stacked marks in an edit control in Tahoma.
    std::wstring stacked = L"Суд a";
    for (int i = 0; i < 40; ++i) stacked += static_cast<wchar_t>(0x300 + i % 0x70);
    stacked += L" конец\u0489\u0489\u0489 x\u20D2\u20D2\u20D2";
    const std::wstring answer = CustomPipes::wire::EncodeValue(L"<name>" + stacked + L"</name>\r\n" + stacked);
    PutText(*block_, answer);
    PostDataReady();
    ASSERT_FALSE(HasEnded(demo_)) << "the demo ended";
    demo_.SelectPage(1);  // drawn on page 2 as the user sees it
    ::UpdateWindow(demo_.Control(ControlId::Memo1));
    ASSERT_TRUE(demo_.Flush());
    ASSERT_TRUE(Responds(demo_));
    EXPECT_EQ(Memo1Text(demo_), ShownInMemo(answer));
}

// Found by RandomBlocksShowExactlyTheLinesOfTheRules: these three characters in Memo1
// ended the demo under Wine (a page fault in gdi32's GPOS mark-to-ligature code).
TEST_F(AnswerView, AnArabicLetterABracketAndAHebrewPointDoNotEndTheDemo) {
    const std::wstring line = L"\u0772]\u05B2";
    const std::wstring answer = CustomPipes::wire::EncodeValue(L"<name>" + line + L"</name>\r\nВладимир\u0301 \u0301\r\n" + line);
    PutText(*block_, answer);
    PostDataReady();
    ASSERT_FALSE(HasEnded(demo_)) << "the demo ended";
    ASSERT_TRUE(Responds(demo_));
    const std::wstring shown = Memo1Text(demo_);
    if (window::RunsUnderWine()) {
        EXPECT_EQ(shown, L"<name>\u0772]\u25CC</name>\r\nВладимир\u25CC \u25CC\r\n\u0772]\u25CC");
    } else {
        EXPECT_EQ(shown, MemoFor(answer));
    }
}
