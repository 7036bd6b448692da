// Making sure Varnel runs and can hear a request, and announcing it.
#pragma once

#include "protocol.h"
#include "win32.h"

#include <cstdint>
#include <functional>
#include <string>

namespace CustomPipes {

// True while Varnel runs: its mutex "VARNEL2" exists.
bool IsServerRunning();

// What a start of Varnel waits for before the request is announced.
enum class StartWait {
    // The demo window's way: the started process is given the whole time unless it ends
    // first; then (a launcher that handed over and left) its window is waited for.
    Fixed,
    // As soon as Varnel's window exists and the started process is idle for input.
    UntilReady,
};

// Why an elevated program does not start Varnel from the record: what a person reads.
std::wstring ElevatedStartRefusal();

struct ServerStartOptions {
    StartWait wait = StartWait::Fixed;
    // Varnel not running and this process elevated: nothing is started, ProgramError
    // says ElevatedStartRefusal (varnel-query and varnel.dll).
    bool refuseStartWhenElevated = false;
    DWORD maxWaitMs = kServerStartWaitMs;
    // Start Varnel in its own folder rather than this program's current one, so that a
    // Varnel started from a script's temporary folder does not hold that folder.
    bool inServerFolder = false;
    // Learns the path just before Varnel is started and waited for.
    std::function<void(const std::wstring& path)> starting;
    // Varnel neither running nor installed: learns why, in words (DescribeMissingServer).
    std::function<void(const std::wstring& reason)> notInstalled;
    // Called just before the request is posted, the last moment at which Varnel has
    // certainly not answered it yet, with Varnel's window where it was found (else null).
    std::function<void(HWND server)> announcing;
};

// Makes sure Varnel runs and can hear a broadcast, then broadcasts the request message
// with wParam = code and lParam = clientWindow's handle value. Varnel running: its window
// is shown maximized, waited for (up to maxWaitMs) when its mutex exists but its window
// does not yet. Not running: started from the record and waited for as options say.
// False, with nothing posted, when Varnel is neither running nor installed. Raises
// ProgramError, with nothing posted, for a registry error or a start that failed.
bool EnsureServerAndNotify(HWND clientWindow, uint16_t code, const ServerStartOptions& options = {});

}  // namespace CustomPipes
