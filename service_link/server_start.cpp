// Making sure Varnel runs and can hear, and announcing a request to it.
#include "server_start.h"

#include "command_line_start.h"
#include "handles.h"
#include "installation_record.h"
#include "platform.h"
#include "process_start.h"
#include "program_error.h"
#include "protocol.h"
#include "service_catalogue.h"
#include "system_error.h"

#include <chrono>

namespace CustomPipes {

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kPollMs = 10;

HWND FindServerWindow() { return ::FindWindowW(kVarnelWindowClass, nullptr); }

// A broadcast reaches only the windows that exist when it is posted: Varnel makes its
// mutex before its window, and may load its data in between. Waits until the window
// exists (and, given process, that process is idle for input) or the deadline passes.
HWND WaitForServerWindow(HANDLE process, Clock::time_point deadline) {
    for (;;) {
        const HWND window = FindServerWindow();
        // A process that has ended, or has no message loop, makes WaitForInputIdle fail
        // at once: its window is all there is to wait for.
        if (window && (!process || ::WaitForInputIdle(process, 0) != WAIT_TIMEOUT)) return window;
        if (Clock::now() >= deadline) return window;
        ::Sleep(kPollMs);
    }
}

// The folder of path, as a current directory; empty when path names none.
std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    // "C:\varnel.exe": the root "C:\", not "C:" (the drive's current folder).
    return path.substr(0, slash == 2 && path[1] == L':' ? 3 : slash);
}

// Varnel's window once it may be posted to; null when it was not looked for.
HWND StartServer(const std::wstring& path, const ServerStartOptions& options) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(options.maxWaitMs);
    if (options.starting) options.starting(path);
    const std::wstring folder = options.inServerFolder ? FolderOf(path) : std::wstring();
    // The path is the application name and the whole command line, unquoted.
    const UniqueProcessInformation process =
        StartProcess(path.c_str(), path, nullptr, false, folder.empty() ? nullptr : folder.c_str());
    if (!process) {
        // Posting now would announce the request to nobody: say why instead.
        throw ProgramError(
            SystemErrorText(L"Varnel could not be started from \"" + path + L"\"", ::GetLastError(), L"\"" + path + L"\""));
    }
    if (options.wait == StartWait::UntilReady) return WaitForServerWindow(process.Get().hProcess, deadline);
    if (::WaitForSingleObject(process.Get().hProcess, options.maxWaitMs) == WAIT_OBJECT_0) {
        // It ended early, perhaps handing over to the real Varnel: its window decides.
        return WaitForServerWindow(nullptr, deadline);
    }
    return nullptr;
}

}  // namespace

std::wstring ElevatedStartRefusal() {
    return L"Varnel is not running, and this program runs elevated (as administrator): it does not start what the "
           L"current user's installation record names, which any program of that user can change; start Varnel "
           L"first";
}

bool IsServerRunning() {
    // Synchronize access is enough to learn that the mutex exists; refused access
    // (Varnel runs with higher rights than this program) means it exists too.
    if (UniqueHandle(::OpenMutexW(SYNCHRONIZE, FALSE, kVarnelMutexName))) return true;
    return ::GetLastError() == ERROR_ACCESS_DENIED;
}

bool EnsureServerAndNotify(HWND clientWindow, uint16_t code, const ServerStartOptions& options) {
    HWND server = nullptr;
    if (IsServerRunning()) {
        server = FindServerWindow();
        if (!server) server = WaitForServerWindow(nullptr, Clock::now() + std::chrono::milliseconds(options.maxWaitMs));
        // Asynchronous: ShowWindow on another process's window waits until that
        // process has handled it, which a busy or hung Varnel makes long. The show is
        // queued ahead of the notice below, so Varnel is maximized before it reads it.
        if (server) ::ShowWindowAsync(server, SW_MAXIMIZE);
    } else {
        const InstallationRecord record = ReadInstallationRecord();
        if (!IsExistingFile(record.exeName)) {
            if (options.notInstalled) options.notInstalled(DescribeMissingServer(record));
            return false;
        }
        if (options.refuseStartWhenElevated && RunsElevated()) throw ProgramError(ElevatedStartRefusal());
        server = StartServer(record.exeName, options);
    }
    // Varnel names the request block by lParam (see RequestBlockName).
    if (options.announcing) options.announcing(server);
    ::PostMessageW(HWND_BROADCAST, ServiceMessage(Service::Varnel, MessageKind::Request), code,
                   static_cast<LPARAM>(WindowHandleValue(clientWindow)));
    return true;
}

}  // namespace CustomPipes
