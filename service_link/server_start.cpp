// Making sure Varnel runs, and announcing a request to it.
#include "CustomPipes.h"

#include "handles.h"
#include "process_start.h"

namespace CustomPipes {

// Synchronize access is enough to learn that the mutex exists, also when Varnel runs
// with higher rights than this program.
bool IsServerRunning() {
    return UniqueHandle(::OpenMutexW(SYNCHRONIZE, FALSE, kVarnelMutexName)) != nullptr;
}

bool EnsureServerAndNotify(HWND clientWindow, uint16_t code,
                           const std::function<void(const std::wstring& path)>& beforeStart) {
    if (IsServerRunning()) {
        // Asynchronous: ShowWindow on another process's window waits until that
        // process has handled it, which a busy or hung Varnel makes long. The show is
        // queued ahead of the notice below, so Varnel is maximized before it reads it.
        if (HWND server = ::FindWindowW(kVarnelWindowClass, nullptr)) ::ShowWindowAsync(server, SW_MAXIMIZE);
    } else {
        const std::wstring path = LookUpServerExecutable();
        if (!IsExistingFile(path)) return false;
        if (beforeStart) beforeStart(path);
        // The path is the application name and the whole command line, unquoted.
        StartAndWait(path, path, kServerStartWaitMs);
    }
    // Varnel names the request block by lParam (see RequestBlockName).
    ::PostMessageW(HWND_BROADCAST, ServiceMessage(Service::Varnel, MessageKind::Request), code,
                   static_cast<LPARAM>(WindowHandleValue(clientWindow)));
    return true;
}

}  // namespace CustomPipes
