#include "form_layout.h"

#include "control_kinds.h"
#include "form_description.h"
#include "window_text.h"

#include <commctrl.h>

#include <algorithm>

namespace window {

namespace {

// The client size a control's children were designed in; none for the main window.
SIZE DesignClientSize(int id) {
    const ControlDescription* control = DescriptionOf(id);
    return control ? SIZE{control->bounds.width, control->bounds.height} : SIZE{};
}

}  // namespace

double MeasureWidening(const MainFormWindows& windows, UINT dpi) {
    // The design assumes Tahoma's widths. Where this system's font writes a caption
    // wider than its control, the whole layout widens, so no caption is cut off.
    double widening = 1.0;
    for (const ControlDescription& control : MainFormControls()) {
        const auto measure = RulesOf(control.kind).widening;
        if (!measure) continue;
        widening = std::max(widening, measure(windows.*control.member, control, DesignClientSize(control.parent), dpi));
    }
    return widening;
}

SIZE InitialClientSize(const MainFormWindows& windows, const LayoutScale& scale) {
    // A first size for the tab control, with room for its tabs and frame, before it is
    // asked what it takes around the page area.
    ::SetWindowPos(windows.PageControl1, nullptr, 0, 0, scale.X(kInitialPageSize.cx + 8),
                   scale.Y(kInitialPageSize.cy + 28), SWP_NOZORDER | SWP_NOACTIVATE);
    RECT pages{0, 0, scale.X(kInitialPageSize.cx), scale.Y(kInitialPageSize.cy)};
    ::SendMessageW(windows.PageControl1, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&pages));
    return {pages.right - pages.left, pages.bottom - pages.top};
}

void LayOutForm(const MainFormWindows& windows, const LayoutScale& scale) noexcept {
    for (const ControlDescription& control : MainFormControls()) {
        const ControlKindRules& rules = RulesOf(control.kind);
        const HWND window = windows.*control.member;
        const RECT place =
            rules.place({window, control, WindowOf(windows, control.parent), DesignClientSize(control.parent), scale});
        ::SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        if (rules.arrangeInside) rules.arrangeInside(window, control, scale);
    }
}

void FitLabelToText(HWND label) {
    const SIZE text = TextExtent(label, TextOf(label));
    ::SetWindowPos(label, nullptr, 0, 0, text.cx, text.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(label, nullptr, TRUE);
}

}  // namespace window
