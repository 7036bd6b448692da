// A client's window when it has none to show: hidden and top-level, because broadcast
// messages reach only top-level windows (a message-only window hears none of them).
#pragma once

#include "win32.h"

namespace CustomPipes {

// Ends the message loop when the window is closed.
LRESULT CALLBACK QuitOnCloseWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// Creates a hidden top-level window of className with windowProc, the class registered
// for the module that holds this code (a program or a DLL). Raises ProgramError when it
// cannot be created. The window lives until its thread ends or it is destroyed.
HWND CreateHiddenTopLevelWindow(const wchar_t* className, WNDPROC windowProc = QuitOnCloseWindowProc);

// The module that holds this code: the program, or the DLL it is linked into.
HINSTANCE ThisModule() noexcept;

}  // namespace CustomPipes
