// The peer fails: the sample server is killed while the demo waits for it to start or
// while a request waits for its answer, its answer block goes before the demo reads it,
// and the installation record names a file that is no longer there. The demo stays
// responsive and shows what really happened: no stale answer passes for a new one, and
// no error is shown that did not happen.
#include "demo_process.h"
#include "files.h"
#include "scratch_folder.h"
#include "search_request.h"
#include "server_fixtures.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace window_driving;
using namespace sample_server_driver;
using namespace ControlId;
using Clock = std::chrono::steady_clock;

namespace {

long long MsSince(Clock::time_point start) {
    return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class PeerFaults : public NoServerAndNoRecord {
protected:

    // Shows an answer from a block of the test's own, then closes the block: the memo
    // holds an earlier answer, and no "Varnel2" is left behind.
    static std::wstring ShowEarlierAnswer(const window_driving::DemoProcess& demo) {
        auto block = CustomPipes::NamedBlock::Create(L"Varnel2", 65536);
        EXPECT_TRUE(block.IsMapped());
        const std::wstring answer = CustomPipes::wire::EncodeValue(L"<VarnelAnswer>\r\n  <found>0</found>\r\n</VarnelAnswer>\r\n");
        PutText(block, answer);
        ::PostMessageW(demo.MainWindow(), DataReadyMessage(), 0, 0);
        EXPECT_TRUE(demo.Flush());
        EXPECT_EQ(Memo1Text(demo), MemoFor(answer));
        return Memo1Text(demo);
    }

    // Presses Button1 and waits until the demo has started the server and waits for it.
    static HWND PressAndWaitForTheStartedServer(const window_driving::DemoProcess& demo) {
        window_driving::Click(demo.Control(Button1));
        HWND server = nullptr;
        window_driving::WaitUntil([&] { return (server = ::FindWindowW(CustomPipes::kVarnelWindowClass, nullptr)) != nullptr; }, 15000);
        return server;
    }
};

std::wstring CodeRequest() {
    CustomPipes::SearchRequest f;
    f.by = CustomPipes::SearchRequest::By::Code;
    f.code = L"01016433305000";
    return BuildSearchRequest(f);
}

}  // namespace

TEST_F(PeerFaults, ServerKilledWhileTheDemoWaitsForItsStart) {
    WriteServerRecord(ServerPath());
    NoticeListener notices{RequestMessage()};
    window_driving::DemoProcess demo(DemoPath());
    ASSERT_TRUE(demo.MainWindow());
    const std::wstring earlier = ShowEarlierAnswer(demo);

    const auto pressed = Clock::now();
    ASSERT_TRUE(PressAndWaitForTheStartedServer(demo)) << "the demo did not start the server";
    EXPECT_FALSE(Responds(demo, 300)) << "the demo was to be in its wait for the server";
    const auto killed = Clock::now();
    StopEveryServer();
    // A started process that ends may have handed over to the real Varnel: its window
    // is waited for until the eight seconds are over, and no longer.
    ASSERT_TRUE(Responds(demo, 10000)) << "the demo does not respond after the server was killed";
    const long long after = MsSince(killed);
    EXPECT_LT(MsSince(pressed), 9500) << "the demo waited beyond its eight seconds";
    ASSERT_TRUE(demo.Flush());

    // The notice still goes out (nobody answers it); nothing new is shown, no error.
    EXPECT_EQ(notices.CountAfter(500), 1);
    EXPECT_EQ(Memo1Text(demo), earlier);
    EXPECT_FALSE(demo.HasMessageBox(kTitle));

    // The next press starts the server again, and its answer replaces the earlier one.
    window_driving::Click(demo.Control(Button1));
    ASSERT_TRUE(window_driving::WaitUntil([&] { return MemoHolds(demo, L"<VarnelAnswer>") && Memo1Text(demo) != earlier; }, 30000));
    ASSERT_TRUE(demo.Flush());
    const auto answer = ReadAnswerBlock();
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(Memo1Text(demo), MemoFor(*answer));
    std::printf("the demo responded %lld ms after the server it waited for was killed\n", after);
}

TEST_F(PeerFaults, AnotherClientsAnswerWhileTheDemoWaitsIsNotTheDemos) {
    WriteServerRecord(ServerPath());
    window_driving::DemoProcess demo(DemoPath());
    ASSERT_TRUE(demo.MainWindow());
    const std::wstring earlier = ShowEarlierAnswer(demo);

    // While the demo waits for the server it started, the server answers another
    // client: the data-ready broadcast waits in the demo's queue. Then the server dies
    // and takes "Varnel2" with it, before the demo gets to the message.
    ASSERT_TRUE(PressAndWaitForTheStartedServer(demo));
    TestClient other;
    const auto answer = other.Ask(CodeRequest());
    ASSERT_TRUE(answer.has_value()) << "the server did not answer the other client";
    ASSERT_FALSE(Responds(demo, 100)) << "the demo was to be still in its wait";
    StopEveryServer();
    ASSERT_FALSE(ReadAnswerBlock().has_value()) << "Varnel2 outlived the server";

    ASSERT_TRUE(Responds(demo, 10000));
    ASSERT_TRUE(demo.Flush());
    // The data-ready notice named the other client: it is not the demo's answer, so
    // nothing is read, and the earlier answer stays.
    EXPECT_EQ(Memo1Text(demo), earlier) << "another client's answer was taken for the demo's";
    EXPECT_FALSE(demo.HasMessageBox(kTitle));
}

TEST_F(PeerFaults, ServerKilledBetweenRequestAndAnswer) {
    RunningServer server = RunningServer::Start();
    window_driving::DemoProcess demo(DemoPath());
    ASSERT_TRUE(demo.MainWindow());
    ASSERT_TRUE(window_driving::ClickAndWait(demo.Control(Button1)));
    ASSERT_TRUE(window_driving::WaitUntil([&] { return MemoHolds(demo, L"<mode>auto</mode>"); }, 10000));
    ASSERT_TRUE(demo.Flush());
    const std::wstring first = Memo1Text(demo);

    // The second request is to be answered through the server's window: it waits for
    // a person's choice, and the server is killed meanwhile.
    ASSERT_TRUE(window_driving::ClickAndWait(::GetDlgItem(demo.Control(RadioGroup1), RadioGroupItem(RadioGroup1, 1))));
    window_driving::SetText(demo.Control(Edit8), L"краснобережский");
    ASSERT_TRUE(window_driving::ClickAndWait(demo.Control(Button1)));
    ASSERT_TRUE(PumpUntil([&] { return OfferedMatches(server.Window()) > 0; }, 10000)) << "the request did not arrive";
    server.Stop();

    ASSERT_TRUE(Responds(demo, 2000));
    ASSERT_TRUE(demo.Flush());
    EXPECT_EQ(Memo1Text(demo), first) << "the memo changed without an answer";
    EXPECT_FALSE(demo.HasMessageBox(kTitle));

    // A data-ready message that comes late now (of the dead server or anyone) finds no
    // block: the memo is cleared, the first answer is not shown again as if it were new.
    ::PostMessageW(demo.MainWindow(), DataReadyMessage(), 0, 0);
    ASSERT_TRUE(demo.Flush());
    EXPECT_EQ(Memo1Text(demo), L"");

    // With no server and no record, a press does nothing visible.
    NoticeListener notices{RequestMessage()};
    ASSERT_TRUE(window_driving::ClickAndWait(demo.Control(Button1)));
    EXPECT_EQ(notices.CountAfter(500), 0);
    EXPECT_FALSE(IsServerRunning());
    EXPECT_FALSE(demo.HasMessageBox(kTitle));
}

TEST_F(PeerFaults, RecordNamingAFileThatIsGone) {
    const ScratchFolder folder(L"reliability record");
    const std::wstring copy = folder / L"varnel.exe";
    ASSERT_TRUE(::CopyFileW(ServerPath().c_str(), copy.c_str(), FALSE));
    WriteServerRecord(copy);
    NoticeListener notices{RequestMessage()};
    window_driving::DemoProcess demo(DemoPath());
    ASSERT_TRUE(demo.MainWindow());
    const std::wstring earlier = ShowEarlierAnswer(demo);

    const auto pressWithoutEffect = [&](const char* what, int noticesExpected) {
        SCOPED_TRACE(what);
        const auto start = Clock::now();
        ASSERT_TRUE(window_driving::ClickAndWait(demo.Control(Button1), 20000));
        EXPECT_LT(MsSince(start), 3000) << "the demo waited for a server that was never started";
        EXPECT_EQ(notices.CountAfter(500), noticesExpected);
        EXPECT_FALSE(IsServerRunning());
        EXPECT_FALSE(demo.HasMessageBox(kTitle)) << window_driving::MessageBoxText(demo.WaitForMessageBox(kTitle, 0));
        EXPECT_EQ(Memo1Text(demo), earlier);
        EXPECT_TRUE(Responds(demo, 2000));
    };

    ASSERT_TRUE(::DeleteFileW(copy.c_str()));
    pressWithoutEffect("the recorded file deleted", 0);

    ASSERT_TRUE(::CreateDirectoryW(copy.c_str(), nullptr));
    pressWithoutEffect("a folder in its place", 0);
    ASSERT_TRUE(::RemoveDirectoryW(copy.c_str()));

    // A file that is no program: the start fails, the error display says why, and no
    // notice goes out to nobody.
    ASSERT_TRUE(WriteWholeFile(copy, "not a program\r\n"));
    window_driving::Click(demo.Control(Button1));
    const HWND box = demo.WaitForMessageBox(kTitle, 10000);
    ASSERT_TRUE(box) << "the failed start was not reported";
    const std::wstring text = window_driving::MessageBoxText(box);
    EXPECT_NE(text.find(L"Varnel could not be started from \"" + copy + L"\""), std::wstring::npos) << CustomPipes::wire::ToUtf8(text);
    window_driving::CloseMessageBox(box);
    EXPECT_EQ(notices.CountAfter(500), 0);
    EXPECT_EQ(Memo1Text(demo), earlier);
    EXPECT_TRUE(Responds(demo, 2000));
}
