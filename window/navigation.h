// Keyboard navigation between the controls and pages of a window that is no dialog but
// behaves like one: Tab, arrows, Enter and Escape as in a dialog, Ctrl+Tab between pages.
#pragma once

#include "win32.h"

#include <span>

namespace window {

// Takes the window's keyboard messages before they are translated. True when it used
// the message. tabs: the tab control whose pages Ctrl+Tab and Ctrl+Shift+Tab select.
bool NavigationKey(HWND window, HWND tabs, MSG& message) noexcept;

// Shows page index of pages and hides the others; the focus leaves a page that is
// hidden for the first control of the shown one.
void ShowPage(HWND window, HWND tabs, std::span<const HWND> pages, int index) noexcept;

// Answers WM_NEXTDLGCTL as a dialog does.
void MoveFocus(HWND window, WPARAM wParam, LPARAM lParam) noexcept;

// As a dialog does: the focused control is remembered when the window loses the
// activation and gets the focus back when it regains it.
class RememberedFocus {
public:
    void Set(HWND control) noexcept { control_ = control; }
    void OnActivate(HWND window, WPARAM wParam, HWND fallback) noexcept;
    // Focuses the remembered control, or fallback when it can no longer take the focus.
    void Restore(HWND fallback) const noexcept;

private:
    HWND control_{};
};

}  // namespace window
