#include "navigation.h"

#include <commctrl.h>

namespace window {

namespace {

bool Contains(HWND ancestor, HWND window) { return window && (window == ancestor || ::IsChild(ancestor, window)); }

void SelectNextPage(HWND tabs, bool forward) noexcept {
    const auto count = static_cast<int>(::SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0));
    if (count <= 0) return;
    const auto current = static_cast<int>(::SendMessageW(tabs, TCM_GETCURSEL, 0, 0));
    const int next = (current + (forward ? 1 : count - 1)) % count;
    // Without button style this selects the page and notifies, as a click on a tab does.
    ::SendMessageW(tabs, TCM_SETCURFOCUS, next, 0);
}

}  // namespace

bool NavigationKey(HWND window, HWND tabs, MSG& message) noexcept {
    if (!window || !Contains(window, message.hwnd)) return false;
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && ::GetKeyState(VK_CONTROL) < 0) {
        SelectNextPage(tabs, ::GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    return ::IsDialogMessageW(window, &message) != FALSE;
}

void ShowPage(HWND window, HWND tabs, std::span<const HWND> pages, int index) noexcept {
    if (index < 0 || index >= static_cast<int>(pages.size())) return;
    const HWND focus = ::GetFocus();
    ::ShowWindow(pages[index], SW_SHOW);
    for (int other = 0; other < static_cast<int>(pages.size()); ++other) {
        if (other == index) continue;
        if (Contains(pages[other], focus)) {
            const HWND first = ::GetNextDlgTabItem(window, tabs, FALSE);
            ::SetFocus(Contains(pages[index], first) ? first : tabs);
        }
        ::ShowWindow(pages[other], SW_HIDE);
    }
}

void MoveFocus(HWND window, WPARAM wParam, LPARAM lParam) noexcept {
    const HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                       : ::GetNextDlgTabItem(window, ::GetFocus(), wParam != 0);
    if (!target) return;
    ::SetFocus(target);
    if (::SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) ::SendMessageW(target, EM_SETSEL, 0, -1);
}

void RememberedFocus::OnActivate(HWND window, WPARAM wParam, HWND fallback) noexcept {
    if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        if (focus && ::IsChild(window, focus)) control_ = focus;
    } else if (!HIWORD(wParam)) {
        Restore(fallback);
    }
}

void RememberedFocus::Restore(HWND fallback) const noexcept {
    const bool usable = control_ && ::IsWindow(control_) && ::IsWindowVisible(control_) && ::IsWindowEnabled(control_);
    const HWND target = usable ? control_ : fallback;
    if (target) ::SetFocus(target);
}

}  // namespace window
