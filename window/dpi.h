// The DPI a window is drawn at.
#pragma once

#include "win32.h"

namespace window {

// The window's monitor DPI under per-monitor awareness (Windows 10 1607 and later);
// on older systems the system DPI. 96 when nothing can be asked.
UINT WindowDpi(HWND window) noexcept;

}  // namespace window
