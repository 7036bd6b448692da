// How a failed system call is told to a person: what failed, the system's own words for
// why, and its number.
#pragma once

#include "win32.h"

#include <string>

namespace CustomPipes {

// "what: The system cannot find the file specified. (system error 2)". With error 0
// (a call that failed without saying why) only what is returned. Some of the system's
// texts name the thing that failed ("%1 is not a valid Win32 application"): subject
// takes its place.
std::wstring SystemErrorText(const std::wstring& what, DWORD error, const std::wstring& subject = L"");

}  // namespace CustomPipes
