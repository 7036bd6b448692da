// Pressing "Отправить запрос в Varnel" with the sample server as Varnel.
#include "end_to_end.h"
#include "no_server_fixture.h"
#include "scratch_folder.h"

#include <chrono>

using namespace end_to_end;
using Clock = std::chrono::steady_clock;

namespace {

// The default search finds this body by the name "владимир".
constexpr const wchar_t* kDefaultFind = L"<name>Владимирогорский городской суд</name>";

class RoundTrip : public NoServerAndNoRecord {};

}  // namespace

TEST_F(RoundTrip, InstalledServerIsStartedAndItsAnswerShowsOnPageTwo) {
    WriteServerRecord(sample_server_driver::ServerPath());
    gui::DemoProcess demo(DemoPath());
    ASSERT_TRUE(demo.MainWindow());

    const auto start = Clock::now();
    gui::Click(demo.Control(ControlId::Button1));
    ASSERT_TRUE(gui::WaitUntil([&] { return MemoHolds(demo, kDefaultFind); }, 30000));
    // The server keeps running, so the demo waited its full eight seconds first.
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(7900));
    EXPECT_TRUE(sample_server_driver::IsServerRunning());

    // Exactly the lines of the answer block, with the Cyrillic readable.
    EXPECT_EQ(MemoLines(demo), CustomPipes::wire::DecodeLines(ReadAnswerBlock().value_or(L"")));
    EXPECT_EQ(MemoLines(demo).front(), L"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>");
    EXPECT_FALSE(demo.HasMessageBox(kTitle));
}

TEST_F(RoundTrip, RunningServerIsMaximizedAndAskedAtOnceAndAnswersEveryPress) {
    auto server = sample_server_driver::RunningServer::Start();
    NoticeListener notices{VarnelMessage(CustomPipes::MessageKind::Request)};
    gui::DemoProcess demo(DemoPath());

    auto start = Clock::now();
    ASSERT_TRUE(gui::ClickAndWait(demo.Control(ControlId::Button1)));
    EXPECT_EQ(notices.CountAfter(300), 1);  // the listener hears what is posted
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));  // no start, no wait
    ASSERT_TRUE(gui::WaitUntil([&] { return MemoHolds(demo, kDefaultFind); }, 10000));
    EXPECT_TRUE(::IsZoomed(server.Window()));

    // A second search replaces the first answer completely.
    ::SendMessageW(demo.Control(ControlId::RadioButton6), BM_CLICK, 0, 0);
    gui::SetText(demo.Control(ControlId::Edit7), L"01016433305000");
    gui::SetText(demo.Control(ControlId::Edit8), L"");
    ASSERT_TRUE(gui::ClickAndWait(demo.Control(ControlId::Button1)));
    ASSERT_TRUE(gui::WaitUntil([&] { return MemoHolds(demo, L"<by>code</by>"); }, 10000));
    ASSERT_TRUE(demo.Flush());
    EXPECT_EQ(MemoLines(demo), CustomPipes::wire::DecodeLines(ReadAnswerBlock().value_or(L"")));
    EXPECT_TRUE(MemoHolds(demo, L"<found>1</found>"));
    EXPECT_FALSE(MemoHolds(demo, L"<by>name</by>"));
}

TEST_F(RoundTrip, NotInstalledOrAFolderAsExeNamePressHasNoVisibleEffect) {
    NoticeListener notices{VarnelMessage(CustomPipes::MessageKind::Request)};
    gui::DemoProcess demo(DemoPath());
    const std::wstring memoBefore = gui::TextOf(demo.Control(ControlId::Memo1));

    ASSERT_TRUE(gui::ClickAndWait(demo.Control(ControlId::Button1)));
    const ScratchFolder folder(L"round trip");
    WriteServerRecord(folder.Path());
    ASSERT_TRUE(gui::ClickAndWait(demo.Control(ControlId::Button1)));

    EXPECT_EQ(notices.CountAfter(300), 0);
    EXPECT_FALSE(sample_server_driver::IsServerRunning());
    EXPECT_FALSE(demo.HasMessageBox(kTitle));
    EXPECT_EQ(gui::TextOf(demo.Control(ControlId::Memo1)), memoBefore);
}

TEST_F(RoundTrip, CurrentVersionStoredAsANumberShowsTheRegistryErrorAndPostsNothing) {
    const DWORD number = 1;
    SetRawValue(CustomPipes::kVarnelKey, CustomPipes::kCurrentVersionValue, REG_DWORD, &number, sizeof number);
    NoticeListener notices{VarnelMessage(CustomPipes::MessageKind::Request)};
    gui::DemoProcess demo(DemoPath());

    gui::Click(demo.Control(ControlId::Button1));
    const HWND box = demo.WaitForMessageBox(kTitle);
    ASSERT_TRUE(box);
    // "'" is below "." in the code table, so no full stop is added.
    EXPECT_EQ(gui::MessageBoxText(box), L"Invalid data type for 'CurrentVersion'");
    EXPECT_EQ(gui::MessageBoxButtons(box).size(), 1u);
    gui::CloseMessageBox(box);

    EXPECT_EQ(notices.CountAfter(300), 0);
    EXPECT_FALSE(sample_server_driver::IsServerRunning());
    EXPECT_TRUE(gui::WaitUntil([&] { return !demo.HasMessageBox(kTitle); }));
    EXPECT_TRUE(demo.Flush());  // the window goes on working
}
