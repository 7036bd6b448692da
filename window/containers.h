// The window classes of the pages and of the framed groups: plain containers that hand
// their children's notifications on to the main window.
#pragma once

#include "win32.h"

constexpr const wchar_t* kTabSheetClass = L"TTabSheet";
constexpr const wchar_t* kGroupBoxClass = L"TGroupBox";  // group boxes and radio groups

// Registers both classes; registering again is harmless.
void RegisterContainerClasses(HINSTANCE instance);
