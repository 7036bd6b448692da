// Starting the programs under measurement and waiting for their windows from outside,
// as a user's tools would: by process and window class.
#pragma once

#include "child_process.h"

#include <string>

namespace bench {

// Starts path (quoted) followed by arguments, which begin with their own space. The
// owner ends the program at once: one closed through its window takes two seconds to
// end under Wine, which would only lengthen the run, and nothing it holds needs saving.
// Raises CustomPipes::ProgramError when it cannot be started.
ChildProcess StartProgram(const std::wstring& path, const std::wstring& arguments = {});

// Waits until the program waits for input with a visible window of windowClass;
// raises CustomPipes::ProgramError when that does not happen within timeoutMs.
HWND WaitUntilIdleAndVisible(const ChildProcess& program, const wchar_t* windowClass, DWORD timeoutMs = 30000);

}  // namespace bench
