// Starting a program: how Varnel is started, with or without a switch.
#pragma once

#include "handles.h"
#include "win32.h"

#include <cstddef>
#include <string>

namespace CustomPipes {

// The longest command line CreateProcess accepts, terminator included.
constexpr size_t kMaxCommandLine = 32767;

// True when path names an existing file that is not a directory.
bool IsExistingFile(const std::wstring& path);

// Starts a process: applicationName (or null: the first word of commandLine) with
// commandLine. Empty, with GetLastError telling why, when it could not be started or
// the command line is too long.
UniqueProcessInformation StartProcess(const wchar_t* applicationName, std::wstring commandLine,
                                      const STARTUPINFOW* startup = nullptr, bool inheritHandles = false);

// Starts path with commandLine and waits up to waitMs for it to end, as Varnel's starts
// do: a program that keeps running makes the caller wait the whole time. A failed start
// is not reported.
void StartAndWait(const std::wstring& path, const std::wstring& commandLine, DWORD waitMs);

}  // namespace CustomPipes
