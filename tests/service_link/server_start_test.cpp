#include "CustomPipes.h"
#include "program_error.h"
#include "registry_fixture.h"
#include "recorded_command_line.h"
#include "scratch_folder.h"
#include "test_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <vector>

using namespace CustomPipes;

namespace {

using Clock = std::chrono::steady_clock;

struct Notice {
    HWND receiver;
    WPARAM wParam;
    LPARAM lParam;
};

std::vector<Notice> g_notices;

LRESULT CALLBACK ClientProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != 0 && message == ServiceMessage(Service::Varnel, MessageKind::Request)) {
        g_notices.push_back({window, wParam, lParam});
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// A hidden top-level window standing for the client; request notices are broadcast
// to all top-level windows, so it receives them too.
HWND CreateTopLevel(const wchar_t* className) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ClientProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    ::RegisterClassW(&wc);
    return ::CreateWindowExW(0, className, L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                             wc.hInstance, nullptr);
}

void Pump(std::chrono::milliseconds duration) {
    const auto end = Clock::now() + duration;
    while (Clock::now() < end) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
        ::Sleep(5);
    }
}


class ServerStart : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterServiceMessages();
        DeleteServerRecord();
        client_ = CreateTopLevel(L"ServerStartTestClient");
        Pump(std::chrono::milliseconds(50));
        g_notices.clear();
    }
    void TearDown() override {
        DeleteServerRecord();
        ::DestroyWindow(client_);
    }

    // A copy of the recorder standing in for Varnel's executable.
    std::wstring InstallRecorder(const std::wstring& fileName) {
        const std::wstring exe = folder_ / fileName;
        ::CopyFileW(PathBesideTest(RECORDER_EXE).c_str(), exe.c_str(), FALSE);
        return exe;
    }

    // The notices that reached the client window.
    std::vector<Notice> ClientNotices() const {
        std::vector<Notice> mine;
        for (const Notice& n : g_notices) {
            if (n.receiver == client_) mine.push_back(n);
        }
        return mine;
    }

    LPARAM ClientValue() const { return static_cast<LPARAM>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(client_))); }

    HWND client_ = nullptr;
    ScratchFolder folder_{L"server start test"};
};

}  // namespace

TEST_F(ServerStart, RunningVarnelIsShownMaximizedAndNotifiedAtOnceWithoutTheRegistry) {
    const UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, kVarnelMutexName));
    const HWND server = CreateTopLevel(kVarnelWindowClass);
    const DWORD number = 1;  // reading this record would fail: it must not be read
    SetRawValue(kVarnelKey, kCurrentVersionValue, REG_DWORD, &number, sizeof number);

    const auto start = Clock::now();
    EXPECT_TRUE(EnsureServerAndNotify(client_, kWindowRequestCode));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_TRUE(::IsZoomed(server));

    Pump(std::chrono::milliseconds(200));
    const std::vector<Notice> notices = ClientNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].wParam, 65535u);
    EXPECT_EQ(notices[0].lParam, ClientValue());
    ::DestroyWindow(server);
}

TEST_F(ServerStart, MutexWithoutAWindowStillPostsTheNotice) {
    const UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, kVarnelMutexName));
    EXPECT_TRUE(EnsureServerAndNotify(client_, 7));
    Pump(std::chrono::milliseconds(200));
    const std::vector<Notice> notices = ClientNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].wParam, 7u);
}

TEST_F(ServerStart, NotInstalledOrNoFileAtThePathPostsNothing) {
    EXPECT_FALSE(EnsureServerAndNotify(client_, kWindowRequestCode));

    WriteServerRecord(folder_.Path());  // a directory
    EXPECT_FALSE(EnsureServerAndNotify(client_, kWindowRequestCode));

    WriteServerRecord(folder_ / L"missing.exe");
    EXPECT_FALSE(EnsureServerAndNotify(client_, kWindowRequestCode));

    WriteServerRecord(L"C:\\" + std::wstring(40000, L'v') + L".exe");
    EXPECT_FALSE(EnsureServerAndNotify(client_, kWindowRequestCode));

    Pump(std::chrono::milliseconds(200));
    EXPECT_TRUE(g_notices.empty());
}

TEST_F(ServerStart, RegistryErrorEndsTheOperationBeforeAnythingIsPosted) {
    const DWORD number = 3;
    SetRawValue(kVarnelKey, kCurrentVersionValue, REG_DWORD, &number, sizeof number);
    try {
        EnsureServerAndNotify(client_, kWindowRequestCode);
        ADD_FAILURE() << "no error";
    } catch (const ProgramError& e) {
        EXPECT_EQ(e.Text(), L"Invalid data type for 'CurrentVersion'");
    }
    Pump(std::chrono::milliseconds(200));
    EXPECT_TRUE(g_notices.empty());
}

TEST_F(ServerStart, InstalledVarnelIsStartedFromTheRecordThenNotified) {
    const std::wstring exe = InstallRecorder(L"varnel.exe");
    WriteServerRecord(exe);
    const auto start = Clock::now();
    EXPECT_TRUE(EnsureServerAndNotify(client_, kWindowRequestCode));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(6));  // the recorder exits at once

    EXPECT_EQ(RecordedCommandLine(exe), exe);  // the bare path: no quotes, no arguments
    Pump(std::chrono::milliseconds(200));
    const std::vector<Notice> notices = ClientNotices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].lParam, ClientValue());
}

TEST_F(ServerStart, AStartedVarnelThatKeepsRunningIsGivenEightSeconds) {
    const std::wstring exe = InstallRecorder(L"varnel.exe");
    AdoptFileHandle(::CreateFileW((exe + L".stay").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    WriteServerRecord(exe);
    const auto start = Clock::now();
    EXPECT_TRUE(EnsureServerAndNotify(client_, kWindowRequestCode));
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(7900));
    EXPECT_LT(waited, std::chrono::milliseconds(9500));
    Pump(std::chrono::milliseconds(200));
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
    AdoptFileHandle(::CreateFileW((exe + L".stay").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    const auto start = Clock::now();
    StartWithArguments(exe, L" -a:x");
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(1900));
    EXPECT_LT(waited, std::chrono::milliseconds(4000));
    ::Sleep(8500);  // let the recorder end before its folder is removed
}
