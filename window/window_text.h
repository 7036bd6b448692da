// Reading and measuring the text of a window.
#pragma once

#include "win32.h"

#include <string>
#include <string_view>

namespace window {

// The window's text (WM_GETTEXT); empty when it has none.
std::wstring TextOf(HWND window);

// text as one line in the window's font, without prefix handling: its width, and the
// font's height (also for empty text). {0, 0} when the window has no device context.
SIZE TextExtent(HWND window, std::wstring_view text);

}  // namespace window
