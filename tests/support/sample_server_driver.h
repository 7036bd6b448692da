// Driving varnel-sample-server from a test, as Varnel's clients do: start it, wait for
// its "TfrmMainRudoz" window, write a request into a block named by a window of the
// test's own, broadcast the request message, wait for the data-ready message and read
// "Varnel2".
//
// A test target gets the server's path with varnel_use_sample_server(target) (defined
// in sample_server/CMakeLists.txt). Only one server can run in the shared Wine session,
// so such tests must not be PURE: the others hold the lock "varnel_peer" in turn.
#pragma once

#include "handles.h"
#include "protocol.h"
#include "server_interface.h"
#include "service_catalogue.h"
#include "wire_text.h"

#include <chrono>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

namespace sample_server_driver {

// A Unix path of the build as Wine sees it: "Z:" and backslashes.
inline std::wstring WindowsPathOf(std::string_view path) {
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(), n);
    if (!wide.empty() && wide.front() == L'/') {
        for (wchar_t& c : wide) {
            if (c == L'/') c = L'\\';
        }
        wide = L"Z:" + wide;
    }
    return wide;
}

#ifdef VARNEL_SAMPLE_SERVER_EXE
inline std::wstring ServerPath() { return WindowsPathOf(VARNEL_SAMPLE_SERVER_EXE); }
#endif

// Pumps the calling thread's messages until ready() or the time is up.
template <typename Ready>
bool PumpUntil(Ready&& ready, DWORD timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (ready()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

// True while some process holds the server mutex "VARNEL2".
inline bool IsServerRunning() {
    const UniqueHandle mutex(::OpenMutexW(SYNCHRONIZE, FALSE, CustomPipes::kVarnelMutexName));
    return mutex != nullptr;
}

// Ends every sample server of the session, also one a demo started, and waits until
// the mutex is gone, so that the next test begins with Varnel not running.
inline void StopEveryServer() {
    for (int attempt = 0; attempt < 50 && IsServerRunning(); ++attempt) {
        for (HWND w = ::FindWindowW(CustomPipes::kVarnelWindowClass, nullptr); w;
             w = ::FindWindowExW(nullptr, w, CustomPipes::kVarnelWindowClass, nullptr)) {
            DWORD id = 0;
            ::GetWindowThreadProcessId(w, &id);
            if (const UniqueHandle p{::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)}) {
                ::TerminateProcess(p.get(), 0);
                ::WaitForSingleObject(p.get(), 5000);
            }
        }
        ::Sleep(50);
    }
}

// The "TfrmMainRudoz" window of process processId, or null.
inline HWND FindServerWindow(DWORD processId) {
    for (HWND window = ::FindWindowExW(nullptr, nullptr, CustomPipes::kVarnelWindowClass, nullptr); window;
         window = ::FindWindowExW(nullptr, window, CustomPipes::kVarnelWindowClass, nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId) return window;
    }
    return nullptr;
}

// A running server process, ended (and waited for) when the owner goes.
class RunningServer {
public:
    RunningServer() = default;
    RunningServer(RunningServer&&) = default;
    RunningServer& operator=(RunningServer&& other) noexcept {
        Stop();
        process_ = std::move(other.process_);
        processId_ = std::exchange(other.processId_, 0);
        window_ = std::exchange(other.window_, nullptr);
        return *this;
    }
    ~RunningServer() { Stop(); }

    // Starts executable (quoted) followed by arguments, which begin with their own
    // space, and waits for its window. Throws std::runtime_error when it does not come.
    static RunningServer StartExecutable(const std::wstring& executable, std::wstring_view arguments = {},
                                         DWORD timeoutMs = 20000) {
        return StartCommandLine(L"\"" + executable + L"\"" + std::wstring(arguments), timeoutMs);
    }

    // Starts a whole command line as it stands, the way the client's launch page does:
    // the system splits the program off by its usual rules.
    static RunningServer StartCommandLine(std::wstring commandLine, DWORD timeoutMs = 20000) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        UniqueProcessInformation info;
        if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              info.Receive())) {
            throw std::runtime_error("the sample server could not be started");
        }
        RunningServer server;
        HANDLE duplicate = nullptr;
        ::DuplicateHandle(::GetCurrentProcess(), info.Get().hProcess, ::GetCurrentProcess(), &duplicate, 0, FALSE,
                          DUPLICATE_SAME_ACCESS);
        server.process_.reset(duplicate);
        server.processId_ = info.Get().dwProcessId;
        const bool up = PumpUntil(
            [&] {
                server.window_ = FindServerWindow(server.processId_);
                return server.window_ != nullptr || !server.IsRunning();
            },
            timeoutMs);
        if (!up || !server.window_) throw std::runtime_error("the sample server's window did not appear");
        return server;
    }

#ifdef VARNEL_SAMPLE_SERVER_EXE
    static RunningServer Start(std::wstring_view arguments = {}) { return StartExecutable(ServerPath(), arguments); }
#endif

    HWND Window() const { return window_; }
    DWORD ProcessId() const { return processId_; }
    bool IsRunning() const { return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

    // Ends the process and waits until it is gone, so that its mutex is released.
    void Stop() {
        if (!process_) return;
        if (IsRunning()) ::TerminateProcess(process_.get(), 0);
        ::WaitForSingleObject(process_.get(), 10000);
        process_.reset();
        window_ = nullptr;
    }

private:
    UniqueHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
};

// The answer text in "Varnel2" (up to its NUL), or nothing when the block is absent.
inline std::optional<std::wstring> ReadAnswerBlock() {
    const CustomPipes::ServiceEntry& varnel = CustomPipes::CatalogueEntry(CustomPipes::Service::Varnel);
    const UniqueHandle mapping(::OpenFileMappingW(FILE_MAP_READ, FALSE, varnel.answerBlockName));
    if (!mapping) return std::nullopt;
    const UniqueMapView view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view) return std::nullopt;
    return std::wstring(wire::TextUpToNul(view.get(), varnel.answerBlockSize));
}

// The answer as the client shows it: wire text decoded line by line, joined by "\n".
inline std::wstring DecodeAnswer(std::wstring_view wireText) {
    std::wstring text;
    for (const std::wstring& line : wire::DecodeLines(wireText)) text += line + L"\n";
    return text;
}

// A client of the test's own: a top-level window (broadcasts reach only those) and a
// request block named by its handle, of the size the protocol fixes or of another
// size for tests of undersized blocks.
class TestClient {
public:
    explicit TestClient(DWORD blockBytes = CustomPipes::kRequestBlockSize) {
        CustomPipes::RegisterServiceMessages();
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = ::DefWindowProcW;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"VarnelTestClient";
        ::RegisterClassW(&windowClass);  // fails harmlessly when a second client registers it again
        window_ = ::CreateWindowExW(0, L"VarnelTestClient", L"test client", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                    nullptr, windowClass.hInstance, nullptr);
        if (!window_) throw std::runtime_error("the test client window could not be created");
        if (blockBytes > 0) {
            block_.reset(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, blockBytes,
                                              BlockName().c_str()));
            if (block_) view_.reset(::MapViewOfFile(block_.get(), FILE_MAP_WRITE, 0, 0, 0));
            if (!view_) throw std::runtime_error("the request block could not be created");
            blockBytes_ = blockBytes;
        }
    }
    TestClient(const TestClient&) = delete;
    TestClient& operator=(const TestClient&) = delete;
    ~TestClient() {
        view_.reset();
        block_.reset();
        if (window_) ::DestroyWindow(window_);
    }

    HWND Window() const { return window_; }
    std::wstring BlockName() const {
        return std::to_wstring(static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(window_)));
    }

    // Copies the request (its NUL included, as BuildSearchRequest returns it) to byte 0.
    void WriteRequest(std::wstring_view textWithNul) { WriteBytes(textWithNul.data(), textWithNul.size() * 2); }

    // Fills the block with raw bytes: the tests of malformed blocks use it.
    void WriteBytes(const void* data, size_t bytes) {
        if (!view_ || bytes > blockBytes_) throw std::runtime_error("the request does not fit the request block");
        std::memcpy(view_.get(), data, bytes);
    }

    // Broadcasts the request message with lParam = this client's window (or another
    // block name, for the tests of a missing block).
    void Notify(std::optional<uint32_t> blockName = std::nullopt, WPARAM code = CustomPipes::kWindowRequestCode) {
        const LPARAM client =
            blockName ? static_cast<LPARAM>(*blockName) : reinterpret_cast<LPARAM>(window_);
        ::PostMessageW(HWND_BROADCAST,
                       CustomPipes::ServiceMessage(CustomPipes::Service::Varnel, CustomPipes::MessageKind::Request),
                       code, client);
    }

    // Drops data-ready messages that are already queued: each wait starts clean.
    void ForgetAnswers() {
        PumpUntil([] { return true; }, 0);
    }

    // Waits for the data-ready message to this client's window and reads "Varnel2".
    // Nothing when it does not come.
    std::optional<std::wstring> WaitForAnswer(DWORD timeoutMs = 10000) {
        const UINT dataReady =
            CustomPipes::ServiceMessage(CustomPipes::Service::Varnel, CustomPipes::MessageKind::DataReady);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                // The broadcast reaches every top-level window of this thread (Wine's
                // IME window too), each copy at its own moment: counting only this
                // window's copy keeps a late copy of one answer from passing for the next.
                if (message.message == dataReady && message.hwnd == window_) return ReadAnswerBlock();
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
            if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }

    // Waits for the answer to the request announced with lParam = requester: the sample
    // server's data-ready message carries the request's lParam. The requesters of the
    // other answers seen meanwhile are kept in OtherAnswers().
    std::optional<std::wstring> WaitForAnswerTo(uint32_t requester, DWORD timeoutMs = 10000) {
        const UINT dataReady =
            CustomPipes::ServiceMessage(CustomPipes::Service::Varnel, CustomPipes::MessageKind::DataReady);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == dataReady && message.hwnd == window_) {
                    const auto answered = static_cast<uint32_t>(message.lParam);
                    if (answered == requester) return ReadAnswerBlock();
                    otherAnswers_.push_back(answered);
                    continue;
                }
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
            if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        }
    }
    const std::vector<uint32_t>& OtherAnswers() const { return otherAnswers_; }

    // Writes, announces and waits: one whole exchange.
    std::optional<std::wstring> Ask(std::wstring_view requestWithNul, DWORD timeoutMs = 10000) {
        ForgetAnswers();
        WriteRequest(requestWithNul);
        Notify();
        return WaitForAnswer(timeoutMs);
    }

private:
    HWND window_ = nullptr;
    UniqueHandle block_;
    UniqueMapView view_;
    size_t blockBytes_ = 0;
    std::vector<uint32_t> otherAnswers_;
};

// Plays the person at the server's window: picks item `index` of the matches list
// and presses "Отправить выбранное".
inline void ChooseAndSend(HWND serverWindow, int index) {
    ::SendMessageW(::GetDlgItem(serverWindow, sample_server::kMatchesListId), LB_SETCURSEL, static_cast<WPARAM>(index),
                   0);
    ::SendMessageW(::GetDlgItem(serverWindow, sample_server::kSendChosenId), BM_CLICK, 0, 0);
}

// The number of bodies the server's window offers for choice.
inline int OfferedMatches(HWND serverWindow) {
    return static_cast<int>(
        ::SendMessageW(::GetDlgItem(serverWindow, sample_server::kMatchesListId), LB_GETCOUNT, 0, 0));
}

}  // namespace sample_server_driver
