#include "dpi.h"

#include "gdi_handles.h"

namespace window {

UINT WindowDpi(HWND window) noexcept {
    // Looked up at run time: importing it would keep the program from loading on
    // systems older than Windows 10.
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFunction>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(window)) return dpi;
    }
    const WindowDc screen(nullptr);
    const int dpi = screen.Get() ? ::GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace window
