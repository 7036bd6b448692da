// Making sure Varnel runs and can hear a request, announcing it, and starting Varnel
// with a command-line switch.
#pragma once

#include "installation_record.h"
#include "platform.h"
#include "process_start.h"
#include "protocol.h"
#include "service_catalogue.h"
#include "win32.h"

#include <cstdint>
#include <functional>
#include <string>

namespace CustomPipes {

// Varnel's executable path from the server installation record, as stored; empty when
// the record is missing. A value of a non-string type raises ProgramError
// ("Invalid data type for 'ExeName'").
std::wstring LookUpServerExecutable();

// The longest a start of Varnel is waited for before the request is announced.
constexpr DWORD kServerStartWaitMs = 8000;

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
    // Called just before the request is posted: the last moment at which Varnel has
    // certainly not answered it yet.
    std::function<void()> announcing;
};

// Makes sure Varnel runs and can hear a broadcast, then broadcasts the request message
// with wParam = code and lParam = clientWindow's handle value. Varnel running: its window
// is shown maximized, waited for (up to maxWaitMs) when its mutex exists but its window
// does not yet. Not running: started from the record and waited for as options say.
// False, with nothing posted, when Varnel is neither running nor installed. Raises
// ProgramError, with nothing posted, for a registry error or a start that failed.
bool EnsureServerAndNotify(HWND clientWindow, uint16_t code, const ServerStartOptions& options = {});

// Why EnsureServerAndNotify found nothing to start, in words: no record, no "ExeName"
// in it, or the path it names and that no file is there.
std::wstring DescribeMissingServer();

// Starts the executable at path with arguments (which begin with their own space) and
// waits up to 2 seconds for it. False when no file exists at path or the start failed
// (GetLastError tells why); the launch page shows nothing either way, varnel.dll's
// varnel_launch returns a code.
bool StartWithArguments(const std::wstring& path, const std::wstring& arguments);

}  // namespace CustomPipes
