// Driving varnel-sample-server from a test, as Varnel's clients do: start it, wait for
// its "TfrmMainRudoz" window, write a request into a block named by a window of the
// test's own, broadcast the request message, wait for the data-ready message and read
// "Varnel2".
//
// A test target gets the server's path with varnel_use_sample_server(target) (defined
// in sample_server/CMakeLists.txt). Only one server can run in the shared Wine session,
// so such tests must not be PURE: the others hold the lock "varnel_peer" in turn.
#pragma once

#include "CustomPipes.h"
#include "blocks.h"
#include "child_process.h"
#include "notice_listener.h"
#include "paths.h"
#include "protocol.h"
#include "server_interface.h"

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace sample_server_driver {

#ifdef VARNEL_SAMPLE_SERVER_EXE
inline std::wstring ServerPath() { return WindowsPath(VARNEL_SAMPLE_SERVER_EXE); }
#endif

using CustomPipes::IsServerRunning;

// Ends every sample server of the session, also one a demo started, and waits until
// the mutex is gone, so that the next test begins with Varnel not running.
inline void StopEveryServer() {
    for (int attempt = 0; attempt < 50 && IsServerRunning(); ++attempt) {
        for (HWND w = ::FindWindowW(CustomPipes::kVarnelWindowClass, nullptr); w;
             w = ::FindWindowExW(nullptr, w, CustomPipes::kVarnelWindowClass, nullptr)) {
            DWORD id = 0;
            ::GetWindowThreadProcessId(w, &id);
            if (const CustomPipes::UniqueHandle p{::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)}) {
                ::TerminateProcess(p.get(), 0);
                ::WaitForSingleObject(p.get(), 5000);
            }
        }
        ::Sleep(50);
    }
}

// The hidden window of a client without a window of its own (varnel-query, varnel.dll),
// in this process or in another; null when there is none.
enum class ClientProcess { This, Another };
inline HWND ExchangeClientWindow(ClientProcess which) {
    for (HWND window = ::FindWindowExW(nullptr, nullptr, L"VarnelExchangeClient", nullptr); window;
         window = ::FindWindowExW(nullptr, window, L"VarnelExchangeClient", nullptr)) {
        DWORD process = 0;
        ::GetWindowThreadProcessId(window, &process);
        if ((process == ::GetCurrentProcessId()) == (which == ClientProcess::This)) return window;
    }
    return nullptr;
}

// A running server process, ended (and waited for) when the owner goes.
class RunningServer {
public:
    // Starts a whole command line as it stands, the way the client's launch page does
    // (the system splits the program off by its usual rules), and waits for its window.
    // Throws std::runtime_error when it does not come.
    static RunningServer StartCommandLine(std::wstring commandLine) {
        return WaitForWindow(ChildProcess::Start(std::move(commandLine)));
    }
#ifdef VARNEL_SAMPLE_SERVER_EXE
    // arguments begin with their own space.
    static RunningServer Start(std::wstring_view arguments = {}) {
        return WaitForWindow(ChildProcess::StartExecutable(ServerPath(), arguments));
    }
#endif

    HWND Window() const { return window_; }
    bool IsRunning() const { return process_.IsRunning(); }

    // Ends the process and waits until it is gone, so that its mutex is released.
    void Stop() {
        process_.Stop();
        window_ = nullptr;
    }

private:
    static RunningServer WaitForWindow(ChildProcess process) {
        if (!process) throw std::runtime_error("the sample server could not be started");
        RunningServer server;
        server.process_ = std::move(process);
        const bool up = PumpUntil(
            [&] {
                server.window_ = server.process_.WindowOfClass(CustomPipes::kVarnelWindowClass);
                return server.window_ != nullptr || !server.IsRunning();
            },
            20000);
        if (!up || !server.window_) throw std::runtime_error("the sample server's window did not appear");
        return server;
    }

    ChildProcess process_;
    HWND window_ = nullptr;
};

// Holds a program's window thread still (the sample server's, say): what is posted to
// its windows waits in its queue until Resume. Throws std::runtime_error when it cannot.
class HeldThread {
public:
    explicit HeldThread(HWND window)
        : thread_(::OpenThread(THREAD_SUSPEND_RESUME, FALSE, ::GetWindowThreadProcessId(window, nullptr))) {
        if (!thread_ || ::SuspendThread(thread_.get()) == static_cast<DWORD>(-1)) {
            throw std::runtime_error("the window's thread could not be held");
        }
    }
    ~HeldThread() { Resume(); }
    HeldThread(const HeldThread&) = delete;
    HeldThread& operator=(const HeldThread&) = delete;

    void Resume() {
        if (thread_) ::ResumeThread(thread_.get());
        thread_.reset();
    }

private:
    CustomPipes::UniqueHandle thread_;
};

// Plays another program that writes text into the running server's "Varnel2", no NUL
// added.
inline void WriteAnswerBlockAsAnotherProgram(const std::wstring& text) {
    const CustomPipes::NamedBlock block = CustomPipes::NamedBlock::Open(L"Varnel2", CustomPipes::NamedBlock::Access::Write);
    if (!block.IsMapped() || block.UsableBytes() < text.size() * sizeof(wchar_t)) {
        throw std::runtime_error("Varnel2 cannot be written");
    }
    std::memcpy(block.WritableData(), text.data(), text.size() * sizeof(wchar_t));
}

// The same, then announces it to the client whose window value is client.
inline void AnswerAsAnotherProgram(const std::wstring& text, LPARAM client) {
    WriteAnswerBlockAsAnotherProgram(text);
    ::PostMessageW(HWND_BROADCAST, DataReadyMessage(), CustomPipes::kWindowRequestCode,
                   client);
}

// A client of the test's own: a top-level window that hears the data-ready notices
// and a request block named by its handle, of the size the protocol fixes or of
// another size for tests of undersized blocks.
class TestClient {
public:
    explicit TestClient(DWORD blockBytes = CustomPipes::kRequestBlockSize)
        : block_(CustomPipes::NamedBlock::Create(CustomPipes::RequestBlockName(Window()), blockBytes)) {
        if (!Window()) throw std::runtime_error("the test client window could not be created");
        if (!block_.IsMapped()) throw std::runtime_error("the request block could not be created");
    }

    HWND Window() const { return answers_.Window(); }

    // Copies the request (its NUL included, as BuildSearchRequest returns it) to byte 0.
    void WriteRequest(std::wstring_view textWithNul) { WriteBytes(textWithNul.data(), textWithNul.size() * 2); }

    // Fills the block with raw bytes: the tests of malformed blocks use it.
    void WriteBytes(const void* data, size_t bytes) {
        if (bytes > block_.UsableBytes()) throw std::runtime_error("the request does not fit the request block");
        std::memcpy(block_.WritableData(), data, bytes);
    }

    // Broadcasts the request message with lParam = this client's window (or another
    // block name, for the tests of a missing block).
    void Notify(std::optional<uint32_t> blockName = std::nullopt, WPARAM code = CustomPipes::kWindowRequestCode) {
        const LPARAM client = blockName ? static_cast<LPARAM>(*blockName) : reinterpret_cast<LPARAM>(Window());
        ::PostMessageW(HWND_BROADCAST, RequestMessage(), code, client);
    }

    // Drops data-ready messages that are already queued: each wait starts clean.
    void ForgetAnswers() {
        answers_.CountAfter(0);
        answers_.Clear();
    }

    // Waits for the next data-ready message to this client's window and reads "Varnel2".
    // Nothing when it does not come. Only this window's copy counts: the broadcast
    // reaches every top-level window of this thread (Wine's IME window too), each copy
    // at its own moment, and a late copy of one answer must not pass for the next.
    std::optional<std::wstring> WaitForAnswer(DWORD timeoutMs = 10000) {
        const int before = answers_.Count();
        if (answers_.WaitFor(before + 1, timeoutMs) == before) return std::nullopt;
        return ReadAnswerBlock();
    }

    // Waits for the answer to the request announced with lParam = requester: the sample
    // server's data-ready message carries the request's lParam.
    std::optional<std::wstring> WaitForAnswerTo(uint32_t requester, DWORD timeoutMs = 10000) {
        if (!PumpUntil([&] { return AnswersTo(requester) > 0; }, timeoutMs)) return std::nullopt;
        return ReadAnswerBlock();
    }
    // The answers since ForgetAnswers to the request announced with lParam = requester.
    int AnswersTo(uint32_t requester) const { return answers_.CountOf(static_cast<LPARAM>(requester)); }

    // Writes, announces and waits: one whole exchange.
    std::optional<std::wstring> Ask(std::wstring_view requestWithNul, DWORD timeoutMs = 10000) {
        ForgetAnswers();
        WriteRequest(requestWithNul);
        Notify();
        return WaitForAnswer(timeoutMs);
    }

private:
    NoticeListener answers_{{DataReadyMessage()}};
    CustomPipes::NamedBlock block_;
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
