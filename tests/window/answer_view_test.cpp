// Varnel's answers shown in Memo1: the data-ready message through the message hook.
#include "gui_test_support.h"
#include "wire_text.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <vector>

using namespace ControlId;

namespace {

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

}  // namespace

class AnswerView : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteServerRecord();
        ASSERT_NE(demo_.MainWindow(), nullptr);
        ASSERT_TRUE(block_->IsMapped());
        memo_ = demo_.Control(Memo1);
    }
    // Posts Varnel's data-ready message as Varnel does, and waits until it is taken.
    void PostDataReady(const wchar_t* name = L"WM_TO_DATA_FROM_VARNEL_READY_EVENT") {
        ::PostMessageW(demo_.MainWindow(), Registered(name), 0, 0);
        ASSERT_TRUE(demo_.Flush());
    }

    gui::DemoProcess demo_{DemoPath()};
    std::optional<CustomPipes::NamedBlock> block_{CustomPipes::NamedBlock::Create(L"Varnel2", 65536)};
    HWND memo_{};
};

TEST_F(AnswerView, ShowsTheDecodedLinesOfTheAnswer) {
    PutText(*block_, WireText(kAnswer, L"\r\n", true));
    PostDataReady();
    EXPECT_EQ(gui::TextOf(memo_), Joined(kAnswer));
    EXPECT_EQ(::SendMessageW(demo_.Control(PageControl1), TCM_GETCURSEL, 0, 0), 0) << "the page does not change";
}

TEST_F(AnswerView, ALastLineWithOrWithoutItsLineBreakGivesTheSameLines) {
    PutText(*block_, WireText(kAnswer, L"\r\n", false));
    PostDataReady();
    const std::wstring without = gui::TextOf(memo_);
    PutText(*block_, L"-");
    PostDataReady();
    ASSERT_EQ(gui::TextOf(memo_), L"-");
    PutText(*block_, WireText(kAnswer, L"\r\n", true));
    PostDataReady();
    EXPECT_EQ(gui::TextOf(memo_), without);
    EXPECT_EQ(without, Joined(kAnswer));
    EXPECT_EQ(::SendMessageW(memo_, EM_GETLINECOUNT, 0, 0), static_cast<LRESULT>(kAnswer.size()));
}

TEST_F(AnswerView, LoneCarriageReturnsAndLineFeedsEndLinesToo) {
    PutText(*block_, CustomPipes::wire::EncodeValue(L"один") + L"\r" + CustomPipes::wire::EncodeValue(L"два") + L"\n\r" + L"x");
    PostDataReady();
    EXPECT_EQ(gui::TextOf(memo_), L"один\r\nдва\r\n\r\nx");
}

TEST_F(AnswerView, TwoAnswersInARowShowOnlyTheSecond) {
    PutText(*block_, WireText(kAnswer, L"\r\n", true));
    PostDataReady();
    const std::vector<std::wstring> second = {L"<Courts/>"};
    PutText(*block_, WireText(second, L"\r\n", true));
    PostDataReady();
    EXPECT_EQ(gui::TextOf(memo_), L"<Courts/>");
}

TEST_F(AnswerView, AnotherServicesDataReadyMessageChangesNothing) {
    PutText(*block_, WireText(kAnswer, L"\r\n", true));
    PostDataReady();
    const auto pemba = CustomPipes::NamedBlock::Create(L"pembaData", 4096);
    ASSERT_TRUE(pemba.IsMapped());
    PutText(pemba, L"PEMBA answer");
    PostDataReady(L"WM_TO_DATA_FROM_PEMBA_READY_EVENT");
    PostDataReady(L"WM_TO_DATA_FROM_PEMBA2_READY_EVENT");
    EXPECT_EQ(gui::TextOf(memo_), Joined(kAnswer));
}

TEST_F(AnswerView, WithoutAnAnswerBlockTheMemoIsCleared) {
    PutText(*block_, WireText(kAnswer, L"\r\n", true));
    PostDataReady();
    ASSERT_FALSE(gui::TextOf(memo_).empty());
    block_.reset();  // Varnel has closed its block
    PostDataReady();
    EXPECT_EQ(gui::TextOf(memo_), L"");
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
    EXPECT_EQ(gui::TextOf(memo_), text);
    EXPECT_LT(shown.count(), 3000) << "a full answer took " << shown.count() << " ms to show";
    RecordProperty("full_answer_ms", static_cast<int>(shown.count()));
    std::printf("a full 64 KB answer was shown in %d ms\n", static_cast<int>(shown.count()));
}

TEST_F(AnswerView, AnAnswerThatComesWhileTheErrorDisplayIsOpenIsShown) {
    // "&" alone breaks the request document: the send button raises an error.
    gui::SetText(demo_.Control(Edit8), L"&");
    gui::Click(demo_.Control(Button1));
    const HWND box = demo_.WaitForMessageBox(kTitle);
    ASSERT_NE(box, nullptr) << "no error display";

    // The box's modal loop delivers the message past the hook, to the window itself.
    PutText(*block_, WireText(kAnswer, L"\r\n", true));
    PostDataReady();
    EXPECT_EQ(gui::TextOf(memo_), Joined(kAnswer)) << "the answer was dropped by the modal loop";
    gui::CloseMessageBox(box);
    ASSERT_TRUE(gui::WaitUntil([&] { return !demo_.HasMessageBox(kTitle); }));

    // A notice that names another client's window is not this window's answer.
    PutText(*block_, L"another client's answer");
    ::PostMessageW(demo_.MainWindow(), Registered(L"WM_TO_DATA_FROM_VARNEL_READY_EVENT"), 0,
                   static_cast<LPARAM>(CustomPipes::WindowHandleValue(demo_.MainWindow()) + 2));
    ASSERT_TRUE(demo_.Flush());
    EXPECT_EQ(gui::TextOf(memo_), Joined(kAnswer));
}
