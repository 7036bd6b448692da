// Module CustomPipes: starting Varnel, announcing requests, reading answers.
#pragma once

#include "installation_record.h"
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

// How long a freshly started Varnel is given before the request is announced.
constexpr DWORD kServerStartWaitMs = 8000;

// True while Varnel runs: its mutex "VARNEL2" exists.
bool IsServerRunning();

// Makes sure Varnel runs (showing its window maximized, or starting it from the
// record and giving it up to 8 seconds), then broadcasts the request message with
// wParam = code and lParam = clientWindow. False, with nothing posted, when Varnel is
// neither running nor installed.
// beforeStart, when given, learns the path just before Varnel is started and waited for.
bool EnsureServerAndNotify(HWND clientWindow, uint16_t code,
                           const std::function<void(const std::wstring& path)>& beforeStart = {});

// For a service's data-ready message: copies the text out of its answer block, sets
// handled and returns true. Any other message, or a block that cannot be opened,
// leaves handled and text untouched and returns false.
bool ReadServiceAnswer(const MSG& message, bool& handled, std::wstring& text);

// Starts the executable at path with arguments (which begin with their own space) and
// waits up to 2 seconds for it. Does nothing when no file exists at path.
void StartWithArguments(const std::wstring& path, const std::wstring& arguments);

}  // namespace CustomPipes
