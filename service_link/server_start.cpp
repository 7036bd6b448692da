// Making sure Varnel runs, and announcing a request to it.
#include "CustomPipes.h"

#include "handles.h"

namespace CustomPipes {

namespace {

// The longest command line CreateProcess accepts, terminator included.
constexpr size_t kMaxCommandLine = 32767;

constexpr DWORD kServerStartWaitMs = 8000;

// Synchronize access is enough to learn that the mutex exists, also when Varnel runs
// with higher rights than this program.
bool IsServerRunning() {
    return UniqueHandle(::OpenMutexW(SYNCHRONIZE, FALSE, kVarnelMutexName)) != nullptr;
}

// Starts Varnel with the path as application name and as the whole command line, and
// gives it up to 8 seconds. A failed start is not reported.
void StartServer(const std::wstring& path) {
    if (path.size() >= kMaxCommandLine) return;
    std::wstring commandLine = path;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    UniqueProcessInformation process;
    if (::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         process.Receive())) {
        ::WaitForSingleObject(process.Get().hProcess, kServerStartWaitMs);
    }
}

}  // namespace

bool EnsureServerAndNotify(HWND clientWindow, uint16_t code) {
    if (IsServerRunning()) {
        // Asynchronous: ShowWindow on another process's window waits until that
        // process has handled it, which a busy or hung Varnel makes long. The show is
        // queued ahead of the notice below, so Varnel is maximized before it reads it.
        if (HWND server = ::FindWindowW(kVarnelWindowClass, nullptr)) ::ShowWindowAsync(server, SW_MAXIMIZE);
    } else {
        const std::wstring path = LookUpServerExecutable();
        if (!IsExistingFile(path)) return false;
        StartServer(path);
    }
    // Varnel names the request block by lParam: the handle as a 32-bit unsigned value.
    const auto handleValue = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(clientWindow));
    ::PostMessageW(HWND_BROADCAST, ServiceMessage(Service::Varnel, MessageKind::Request), code,
                   static_cast<LPARAM>(handleValue));
    return true;
}

}  // namespace CustomPipes
