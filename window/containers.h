// The window classes of the pages and of the framed groups: plain containers that hand
// their children's notifications on to the main window.
#pragma once

#include "win32.h"

namespace window {

constexpr const wchar_t* kTabSheetClass = L"TTabSheet";
constexpr const wchar_t* kGroupBoxClass = L"TGroupBox";  // group boxes and radio groups

// Registers a class of the form's windows: the dialog face colour, the arrow cursor,
// redrawn whole on resizing. Registering again is harmless; raises CustomPipes::ProgramError when
// the system refuses.
void RegisterFormWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure, int extraBytes = 0,
                             HICON icon = nullptr);

// Registers both container classes.
void RegisterContainerClasses(HINSTANCE instance);

}  // namespace window
