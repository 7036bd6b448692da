#include "containers.h"

#include "dpi.h"
#include "gdi_handles.h"
#include "layout.h"
#include "window_class.h"

#include <string>

namespace window {

namespace {

// Slot of the container's font in the window's extra bytes.
constexpr int kFontSlot = 0;

// Notifications and colour requests go to a control's parent; the form answers them all.
bool IsForwarded(UINT message) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_NEXTDLGCTL:  // a multi-line edit's Tab in dialog navigation
        return true;
    default:
        return false;
    }
}

void PaintGroupFrame(HWND group) {
    const PaintDc paint(group);
    const HDC dc = paint.Get();
    if (!dc) return;
    const auto font = reinterpret_cast<HFONT>(::GetWindowLongPtrW(group, kFontSlot));
    {
        const SelectedObject selected(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);

        RECT frame{};
        ::GetClientRect(group, &frame);
        frame.top += metrics.tmHeight / 2;
        ::DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);

        const int length = ::GetWindowTextLengthW(group);
        if (length > 0) {
            std::wstring caption(static_cast<size_t>(length) + 1, L'\0');
            caption.resize(static_cast<size_t>(::GetWindowTextW(group, caption.data(), length + 1)));
            RECT text{Scale(kGroupCaptionIndent, WindowDpi(group)), 0, 0, 0};
            ::DrawTextW(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
            // The caption interrupts the frame line: its background hides it.
            ::SetBkMode(dc, OPAQUE);
            ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
            ::SetTextColor(dc, ::GetSysColor(::IsWindowEnabled(group) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
            ::DrawTextW(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_NOPREFIX);
        }
    }
}

LRESULT CALLBACK TabSheetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (IsForwarded(message)) return ::SendMessageW(::GetAncestor(window, GA_ROOT), message, wParam, lParam);
    switch (message) {
    case WM_CLOSE:
        // A multi-line edit closes its parent on Escape in dialog navigation; a page is
        // never closed on its own.
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK GroupBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (IsForwarded(message)) return ::SendMessageW(::GetAncestor(window, GA_ROOT), message, wParam, lParam);
    switch (message) {
    case WM_CLOSE:
        return 0;
    case WM_SETFONT:
        ::SetWindowLongPtrW(window, kFontSlot, static_cast<LONG_PTR>(wParam));
        if (LOWORD(lParam)) ::InvalidateRect(window, nullptr, TRUE);
        return 0;
    case WM_GETFONT:
        return ::GetWindowLongPtrW(window, kFontSlot);
    case WM_SETTEXT:
    case WM_ENABLE: {
        const LRESULT result = ::DefWindowProcW(window, message, wParam, lParam);
        ::InvalidateRect(window, nullptr, TRUE);
        return result;
    }
    case WM_PAINT:
        PaintGroupFrame(window);
        return 0;
    case WM_NCHITTEST:
        // Clicks on the frame fall through to the page, as on a standard group box.
        return HTTRANSPARENT;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void RegisterFormWindowClass(HINSTANCE instance, const wchar_t* className, WNDPROC procedure, int extraBytes,
                             HICON icon) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbWndExtra = extraBytes;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = className;
    CustomPipes::RegisterWindowClass(windowClass);
}

void RegisterContainerClasses(HINSTANCE instance) {
    RegisterFormWindowClass(instance, kTabSheetClass, TabSheetProc, 0);
    RegisterFormWindowClass(instance, kGroupBoxClass, GroupBoxProc, sizeof(LONG_PTR));
}

}  // namespace window
