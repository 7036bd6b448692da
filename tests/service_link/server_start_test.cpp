#include "CustomPipes.h"
#include "notice_listener.h"
#include "paths.h"
#include "program_error.h"
#include "recorded_command_line.h"
#include "registry_fixture.h"
#include "scratch_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

using namespace CustomPipes;

namespace {

using Clock = std::chrono::steady_clock;

// A hidden top-level window standing for Varnel's: the start finds it by its class.
HWND CreateServerWindow() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ::DefWindowProcW;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kVarnelWindowClass;
    ::RegisterClassW(&wc);
    return ::CreateWindowExW(0, kVarnelWindowClass, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                             wc.hInstance, nullptr);
}

class ServerStart : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteServerRecord();
        client_.CountAfter(50);
        client_.Clear();
    }
    void TearDown() override { DeleteServerRecord(); }

    // A copy of the recorder standing in for Varnel's executable.
    std::wstring InstallRecorder(const std::wstring& fileName) {
        const std::wstring exe = folder_ / fileName;
        ::CopyFileW(WindowsPath(RECORDER_EXE).c_str(), exe.c_str(), FALSE);
        return exe;
    }

    // The request notices that reached the client window, which stands for the client's.
    std::vector<NoticeListener::Notice> ClientNotices() {
        client_.CountAfter(200);
        return client_.Notices();
    }

    NoticeListener client_{RequestMessage()};
    ScratchFolder folder_{L"server start test"};
};

}  // namespace

TEST_F(ServerStart, RunningVarnelIsShownMaximizedAndNotifiedAtOnceWithoutTheRegistry) {
    const CustomPipes::UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, kVarnelMutexName));
    const HWND server = CreateServerWindow();
    const DWORD number = 1;  // reading this record would fail: it must not be read
    SetRawValue(kVarnelKey, kCurrentVersionValue, REG_DWORD, &number, sizeof number);

    const auto start = Clock::now();
    EXPECT_TRUE(EnsureServerAndNotify(client_.Window(), kWindowRequestCode));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_TRUE(::IsZoomed(server));

    const std::vector<NoticeListener::Notice> notices = ClientNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].wParam, 65535u);
    EXPECT_EQ(notices[0].lParam, static_cast<LPARAM>(WindowHandleValue(client_.Window())));
    ::DestroyWindow(server);
}

TEST_F(ServerStart, AMutexWithoutAWindowYetIsWaitedForThenTheNoticeReachesTheWindow) {
    // Varnel makes its mutex before its window, and a broadcast reaches only the
    // windows that exist when it is posted.
    const CustomPipes::UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, kVarnelMutexName));
    std::atomic<bool> heard{false};
    std::thread varnel([&] {
        ::Sleep(500);
        const HWND window = CreateServerWindow();
        const auto until = Clock::now() + std::chrono::seconds(12);
        while (!heard && Clock::now() < until) {
            MSG message;
            while (::PeekMessageW(&message, window, 0, 0, PM_REMOVE)) {
                if (message.message == RequestMessage()) heard = true;
                ::DispatchMessageW(&message);  // the window is shown maximized and painted meanwhile
            }
            ::Sleep(10);
        }
        ::DestroyWindow(window);
    });
    const auto start = Clock::now();
    EXPECT_TRUE(EnsureServerAndNotify(client_.Window(), 7));
    const auto waited = Clock::now() - start;
    varnel.join();
    EXPECT_TRUE(heard);
    EXPECT_GE(waited, std::chrono::milliseconds(450));
    EXPECT_LT(waited, std::chrono::seconds(3));
}

TEST_F(ServerStart, AMutexWhoseWindowNeverComesIsGivenEightSecondsThenNotified) {
    const CustomPipes::UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, kVarnelMutexName));
    const auto start = Clock::now();
    EXPECT_TRUE(EnsureServerAndNotify(client_.Window(), 7));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(7900));
    const std::vector<NoticeListener::Notice> notices = ClientNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].wParam, 7u);
}

TEST_F(ServerStart, NotInstalledOrNoFileAtThePathPostsNothing) {
    EXPECT_FALSE(EnsureServerAndNotify(client_.Window(), kWindowRequestCode));

    WriteServerRecord(folder_.Path());  // a directory
    EXPECT_FALSE(EnsureServerAndNotify(client_.Window(), kWindowRequestCode));

    WriteServerRecord(folder_ / L"missing.exe");
    EXPECT_FALSE(EnsureServerAndNotify(client_.Window(), kWindowRequestCode));

    WriteServerRecord(L"C:\\" + std::wstring(40000, L'v') + L".exe");
    EXPECT_FALSE(EnsureServerAndNotify(client_.Window(), kWindowRequestCode));

    EXPECT_TRUE(ClientNotices().empty());
}

TEST_F(ServerStart, RegistryErrorEndsTheOperationBeforeAnythingIsPosted) {
    const DWORD number = 3;
    SetRawValue(kVarnelKey, kCurrentVersionValue, REG_DWORD, &number, sizeof number);
    try {
        EnsureServerAndNotify(client_.Window(), kWindowRequestCode);
        ADD_FAILURE() << "no error";
    } catch (const CustomPipes::ProgramError& e) {
        EXPECT_EQ(e.Text(), L"Invalid data type for 'CurrentVersion'");
    }
    EXPECT_TRUE(ClientNotices().empty());
}

TEST_F(ServerStart, InstalledVarnelIsStartedFromTheRecordThenNotified) {
    const std::wstring exe = InstallRecorder(L"varnel.exe");
    WriteServerRecord(exe);
    const auto start = Clock::now();
    EXPECT_TRUE(EnsureServerAndNotify(client_.Window(), kWindowRequestCode));
    // The recorder exits at once and makes no window: perhaps a launcher, so the
    // window is waited for until the eight seconds are over.
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(7900));
    EXPECT_LT(waited, std::chrono::milliseconds(9500));

    EXPECT_EQ(RecordedCommandLine(exe), exe);  // the bare path: no quotes, no arguments
    const std::vector<NoticeListener::Notice> notices = ClientNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].lParam, static_cast<LPARAM>(WindowHandleValue(client_.Window())));
}

TEST_F(ServerStart, AStartedVarnelThatKeepsRunningIsGivenEightSeconds) {
    const std::wstring exe = InstallRecorder(L"varnel.exe");
    CustomPipes::AdoptFileHandle(::CreateFileW((exe + L".stay").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    WriteServerRecord(exe);
    const auto start = Clock::now();
    EXPECT_TRUE(EnsureServerAndNotify(client_.Window(), kWindowRequestCode));
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(7900));
    EXPECT_LT(waited, std::chrono::milliseconds(9500));
    EXPECT_EQ(ClientNotices().size(), 1u);
    ::Sleep(2500);  // let the recorder end before its folder is removed
}

TEST_F(ServerStart, StartWithArgumentsQuotesThePathAndPassesTheValueAsTyped) {
    ::CreateDirectoryW((folder_ / L"Varnel Dir").c_str(), nullptr);
    const std::wstring exe = InstallRecorder(L"Varnel Dir\\varnel.exe");
    const std::wstring decoy = InstallRecorder(L"Varnel.exe");  // the path cut at its first space

    StartWithArguments(exe, L" -f:Иванов-Петров & \"Ко\"  ");
    EXPECT_EQ(RecordedCommandLine(exe), L"\"" + exe + L"\" -f:Иванов-Петров & \"Ко\"  ");
    EXPECT_EQ(RecordedCommandLine(decoy), std::nullopt);
}

TEST_F(ServerStart, StartWithArgumentsStartsNothingWithoutAFileOrForAnOverlongLine) {
    const std::wstring exe = InstallRecorder(L"varnel.exe");
    StartWithArguments(folder_.Path(), L" -a:x");
    StartWithArguments(folder_ / L"missing.exe", L" -a:x");
    StartWithArguments(L"", L" -a:x");
    StartWithArguments(exe, L" -a:" + std::wstring(32767, L'x'));
    EXPECT_EQ(RecordedCommandLine(exe), std::nullopt);

    StartWithArguments(exe, L" -i:01016433305000");
    EXPECT_EQ(RecordedCommandLine(exe), L"\"" + exe + L"\" -i:01016433305000");
}

TEST_F(ServerStart, StartWithArgumentsWaitsAtMostTwoSeconds) {
    const std::wstring exe = InstallRecorder(L"varnel.exe");
    CustomPipes::AdoptFileHandle(::CreateFileW((exe + L".stay").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const auto start = Clock::now();
    StartWithArguments(exe, L" -a:x");
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(1900));
    EXPECT_LT(waited, std::chrono::milliseconds(4000));
    ::Sleep(8500);  // let the recorder end before its folder is removed
}
