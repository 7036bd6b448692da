// Starting a program: how Varnel is started, with or without a switch.
#pragma once

#include "handles.h"
#include "win32.h"

#include <cstddef>
#include <string>

namespace CustomPipes {

// The longest command line CreateProcess accepts, terminator included.
constexpr size_t kMaxCommandLine = 32767;

// Starts a process: applicationName (or null: the first word of commandLine) with
// commandLine, in currentDirectory (null: this program's). Empty, with GetLastError
// telling why, when it could not be started or the command line is too long.
UniqueProcessInformation StartProcess(const wchar_t* applicationName, std::wstring commandLine,
                                      const STARTUPINFOW* startup = nullptr, bool inheritHandles = false,
                                      const wchar_t* currentDirectory = nullptr);

}  // namespace CustomPipes
