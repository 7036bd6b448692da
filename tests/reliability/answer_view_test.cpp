// Whatever "Varnel2" holds when the data-ready message comes, the real window shows
// exactly the lines the rules give, and goes on working.
#include "memo_text.h"
#include "random_text.h"
#include "reliability.h"

#include <algorithm>
#include <chrono>

using namespace window;

using namespace reliability;

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

// Random content of one of three kinds: raw bytes, UTF-16 text with a NUL somewhere,
// UTF-16 text without any NUL.
std::vector<unsigned char> RandomContent(RandomText& random, size_t size, int kind) {
    std::vector<unsigned char> bytes(size);
    if (kind == 0) {
        for (auto& b : bytes) b = static_cast<unsigned char>(random.Below(256));
        return bytes;
    }
    std::wstring text;
    while (text.size() * 2 < size + 2) {
        if (random.Chance(8)) {
            text += L"\r\n";
        } else if (random.Chance(30)) {
            text += CustomPipes::wire::EncodeValue(std::wstring(1, L"Суд владимирский ёжик"[random.Below(20)]));
        } else {
            std::wstring c = random.Character();
            if (c.size() == 1 && c[0] == 0) c[0] = L' ';
            text += c;
        }
    }
    std::memcpy(bytes.data(), text.data(), size);
    if (kind == 1 && size >= 2) {
        const size_t at =
            random.Chance(5) ? 0 : random.Below(static_cast<unsigned>(std::min(size, kCourtBlock) / 2)) * 2;
        bytes[at] = bytes[at + 1] = 0;
    }
    if (kind == 2) {
        for (size_t i = 0; i + 1 < size; i += 2) {
            if (bytes[i] == 0 && bytes[i + 1] == 0) bytes[i] = ' ';
        }
    }
    return bytes;
}

// The answer text the demo must read: what the view shows of the block (whole pages,
// zeros after the content) up to 64 KB, up to the first NUL.
std::wstring VisibleText(const std::vector<unsigned char>& content) {
    std::vector<unsigned char> visible = content;
    visible.resize(std::min((content.size() + kPage - 1) / kPage * kPage, kCourtBlock), 0);
    return std::wstring(CustomPipes::wire::TextUpToNul(visible.data(), visible.size()));
}

// Memo1's text for the decoded lines: as they are, except that under Wine, whose edit
// control faults on some combining marks, each non-spacing mark is shown as U+25CC.
std::wstring ShownInMemo(std::wstring text) {
    if (!RunsUnderWine() || text.empty()) return text;
    std::vector<WORD> types(text.size());
    ::GetStringTypeW(CT_CTYPE3, text.data(), static_cast<int>(text.size()), types.data());
    for (size_t i = 0; i < text.size(); ++i) {
        if (types[i] & C3_NONSPACING) text[i] = L'\u25CC';
    }
    return text;
}

class AnswerViewReliability : public ::testing::Test {
protected:
    void SetUp() override {
        PumpUntil([] { return !sample_server_driver::IsServerRunning(); }, 10000);
        DeleteServerRecord();
        ASSERT_TRUE(demo_.MainWindow());
    }
    void TearDown() override {
        EXPECT_EQ(::WaitForSingleObject(demo_.Process(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the demo ended";
    }
    void PostDataReady() { ::PostMessageW(demo_.MainWindow(), DataReadyMessage(), 0, 0); }

    gui::DemoProcess demo_{DemoPath()};
};

}  // namespace

TEST_F(AnswerViewReliability, RandomBlocksShowExactlyTheLinesOfTheRules) {
    RandomText random(TestSeed());
    int rounds = 0, marks = 0, empty = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < 250; ++round) {
        const size_t size = BlockSize(random, round);
        const int kind = static_cast<int>(random.Below(3));
        std::vector<unsigned char> content = RandomContent(random, size, kind);
        const std::wstring expected = ShownInMemo(MemoFor(VisibleText(content)));
        marks += expected.find(L'\u25CC') != std::wstring::npos;
        auto block = CustomPipes::NamedBlock::Create(L"Varnel2", size);
        ASSERT_TRUE(block.IsMapped()) << "round " << round;
        std::memcpy(Bytes(block), content.data(), size);
        PostDataReady();
        ASSERT_TRUE(demo_.Flush()) << "round " << round << ": the demo stopped taking messages";
        ASSERT_EQ(::WaitForSingleObject(demo_.Process(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
            << "round " << round << ": the demo ended (size " << size << ", kind " << kind << ")";
        ASSERT_EQ(MemoText(demo_), expected) << "round " << round << ", size " << size << ", kind " << kind;
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

TEST_F(AnswerViewReliability, ABlockClosedBeforeTheDemoReadsItLeavesTheMemoCleared) {
    const std::wstring answer = CustomPipes::wire::EncodeValue(L"<found>1</found>\r\nпервый ответ\r\n");
    // Every round the service closes its block before the demo reads it (for the demo a
    // message that comes after the close is the same as one it takes late): the memo
    // must not keep the earlier answer.
    for (int round = 0; round < 20; ++round) {
        auto block = CustomPipes::NamedBlock::Create(L"Varnel2", kCourtBlock);
        ASSERT_TRUE(block.IsMapped());
        PutText(block, answer);
        PostDataReady();
        ASSERT_TRUE(demo_.Flush());
        ASSERT_EQ(MemoText(demo_), MemoFor(answer)) << "round " << round;
        block = {};
        PostDataReady();
        ASSERT_TRUE(demo_.Flush());
        EXPECT_EQ(MemoText(demo_), L"") << "round " << round << ": a closed block left the earlier answer shown";
    }
    EXPECT_TRUE(Responds(demo_));
}

TEST_F(AnswerViewReliability, StackedCombiningMarksInAnAnswerDoNotEndTheDemo) {
    // Wine's text layout has faulted on stacked marks in an edit control in Tahoma.
    std::wstring stacked = L"Суд a";
    for (int i = 0; i < 40; ++i) stacked += static_cast<wchar_t>(0x300 + i % 0x70);
    stacked += L" конец\u0489\u0489\u0489 x\u20D2\u20D2\u20D2";
    const std::wstring answer = CustomPipes::wire::EncodeValue(L"<name>" + stacked + L"</name>\r\n" + stacked);
    auto block = CustomPipes::NamedBlock::Create(L"Varnel2", kCourtBlock);
    ASSERT_TRUE(block.IsMapped());
    PutText(block, answer);
    PostDataReady();
    demo_.Flush();
    ASSERT_EQ(::WaitForSingleObject(demo_.Process(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the demo ended";
    demo_.SelectPage(1);  // drawn on page 2 as the user sees it
    ::UpdateWindow(demo_.Control(ControlId::Memo1));
    ASSERT_TRUE(demo_.Flush());
    ASSERT_TRUE(Responds(demo_));
    EXPECT_EQ(MemoText(demo_), ShownInMemo(MemoFor(answer)));
}

// Found by RandomBlocksShowExactlyTheLinesOfTheRules: these three characters in Memo1
// ended the demo under Wine (a page fault in gdi32's GPOS mark-to-ligature code).
TEST_F(AnswerViewReliability, AnArabicLetterABracketAndAHebrewPointDoNotEndTheDemo) {
    const std::wstring line = L"\u0772]\u05B2";
    const std::wstring answer = CustomPipes::wire::EncodeValue(L"<name>" + line + L"</name>\r\nВладимир\u0301 \u0301\r\n" + line);
    auto block = CustomPipes::NamedBlock::Create(L"Varnel2", kCourtBlock);
    ASSERT_TRUE(block.IsMapped());
    PutText(block, answer);
    PostDataReady();
    demo_.Flush();
    ASSERT_EQ(::WaitForSingleObject(demo_.Process(), 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the demo ended";
    ASSERT_TRUE(Responds(demo_));
    const std::wstring shown = MemoText(demo_);
    if (RunsUnderWine()) {
        EXPECT_EQ(shown, L"<name>\u0772]\u25CC</name>\r\nВладимир\u25CC \u25CC\r\n\u0772]\u25CC");
    } else {
        EXPECT_EQ(shown, MemoFor(answer));
    }
}
