// Starting Varnel with a command-line switch (see launch_switch.h).
#pragma once

#include <string>

namespace CustomPipes {

// True when path names an existing file that is not a directory: a program that can be
// started, as far as a look at the file system tells.
bool IsExistingFile(const std::wstring& path);

// Starts the executable at path with arguments (which begin with their own space) and
// waits up to 2 seconds for it. False when no file exists at path or the start failed
// (GetLastError tells why); the launch page shows nothing either way, varnel.dll's
// varnel_launch returns a code.
bool StartWithArguments(const std::wstring& path, const std::wstring& arguments);

}  // namespace CustomPipes
