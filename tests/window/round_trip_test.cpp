// Pressing "Отправить запрос в Varnel" with the sample server as Varnel.
#include "demo_process.h"
#include "scratch_folder.h"
#include "server_fixtures.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace window_driving;
using namespace sample_server_driver;
using Clock = std::chrono::steady_clock;

namespace {

// The default search finds this body by the name "владимир".
constexpr const wchar_t* kDefaultFind = L"<name>Владимирогорский городской суд</name>";

class RoundTrip : public NoServerAndNoRecord {};

}  // namespace

TEST_F(RoundTrip, InstalledServerIsStartedAndItsAnswerShowsOnPageTwo) {
    WriteServerRecord(sample_server_driver::ServerPath());
    window_driving::DemoProcess demo(DemoPath());
    ASSERT_TRUE(demo.MainWindow());

    const auto start = Clock::now();
    window_driving::Click(demo.Control(ControlId::Button1));
    ASSERT_TRUE(window_driving::WaitUntil([&] { return MemoHolds(demo, kDefaultFind); }, 30000));
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
    NoticeListener notices{RequestMessage()};
    window_driving::DemoProcess demo(DemoPath());

    auto start = Clock::now();
    ASSERT_TRUE(window_driving::ClickAndWait(demo.Control(ControlId::Button1)));
    EXPECT_EQ(notices.CountAfter(300), 1);  // the listener hears what is posted
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(2));  // no start, no wait
    ASSERT_TRUE(window_driving::WaitUntil([&] { return MemoHolds(demo, kDefaultFind); }, 10000));
    EXPECT_TRUE(::IsZoomed(server.Window()));

    // A second search replaces the first answer completely.
    ::SendMessageW(demo.Control(ControlId::RadioButton6), BM_CLICK, 0, 0);
    window_driving::SetText(demo.Control(ControlId::Edit7), L"01016433305000");
    window_driving::SetText(demo.Control(ControlId::Edit8), L"");
    ASSERT_TRUE(window_driving::ClickAndWait(demo.Control(ControlId::Button1)));
    ASSERT_TRUE(window_driving::WaitUntil([&] { return MemoHolds(demo, L"<by>code</by>"); }, 10000));
    ASSERT_TRUE(demo.Flush());
    EXPECT_EQ(MemoLines(demo), CustomPipes::wire::DecodeLines(ReadAnswerBlock().value_or(L"")));
    EXPECT_TRUE(MemoHolds(demo, L"<found>1</found>"));
    EXPECT_FALSE(MemoHolds(demo, L"<by>name</by>"));
}

TEST_F(RoundTrip, NotInstalledOrAFolderAsExeNamePressHasNoVisibleEffect) {
    NoticeListener notices{RequestMessage()};
    window_driving::DemoProcess demo(DemoPath());
    const std::wstring memoBefore = window_driving::TextOf(demo.Control(ControlId::Memo1));

    ASSERT_TRUE(window_driving::ClickAndWait(demo.Control(ControlId::Button1)));
    const ScratchFolder folder(L"round trip");
    WriteServerRecord(folder.Path());
    ASSERT_TRUE(window_driving::ClickAndWait(demo.Control(ControlId::Button1)));

    EXPECT_EQ(notices.CountAfter(300), 0);
    EXPECT_FALSE(sample_server_driver::IsServerRunning());
    EXPECT_FALSE(demo.HasMessageBox(kTitle));
    EXPECT_EQ(window_driving::TextOf(demo.Control(ControlId::Memo1)), memoBefore);
}

TEST_F(RoundTrip, CurrentVersionStoredAsANumberShowsTheRegistryErrorAndPostsNothing) {
    const DWORD number = 1;
    SetRawValue(CustomPipes::kVarnelKey, CustomPipes::kCurrentVersionValue, REG_DWORD, &number, sizeof number);
    NoticeListener notices{RequestMessage()};
    window_driving::DemoProcess demo(DemoPath());

    window_driving::Click(demo.Control(ControlId::Button1));
    const HWND box = demo.WaitForMessageBox(kTitle);
    ASSERT_TRUE(box);
    // "'" is below "." in the code table, so no full stop is added.
    EXPECT_EQ(window_driving::MessageBoxText(box), L"Invalid data type for 'CurrentVersion'");
    EXPECT_EQ(window_driving::MessageBoxButtons(box).size(), 1u);
    window_driving::CloseMessageBox(box);

    EXPECT_EQ(notices.CountAfter(300), 0);
    EXPECT_FALSE(sample_server_driver::IsServerRunning());
    EXPECT_TRUE(window_driving::WaitUntil([&] { return !demo.HasMessageBox(kTitle); }));
    EXPECT_TRUE(demo.Flush());  // the window goes on working
}
