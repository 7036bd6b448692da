// The tools' window: hidden and top-level, because broadcast messages reach only
// top-level windows (a message-only window hears none of them).
#pragma once

#include "win32.h"

namespace tools {

// Ends the message loop when the window is closed.
LRESULT CALLBACK QuitOnCloseWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Creates a hidden top-level window of className with windowProc. Raises ProgramError
// when it cannot be created. The window lives until the thread ends or it is closed.
HWND CreateHiddenTopLevelWindow(const wchar_t* className, WNDPROC windowProc = QuitOnCloseWindowProc);

}  // namespace tools
