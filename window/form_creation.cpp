#include "form_creation.h"

#include "control_kinds.h"
#include "form_description.h"
#include "program_error.h"
#include "system_error.h"

#include <algorithm>
#include <cwchar>
#include <string>
#include <vector>

namespace window {

namespace {

HFONT FontOf(const ControlDescription& control, const FormFonts& fonts) {
    return control.link ? fonts.link.get() : fonts.normal.get();
}

void OrderTabStops(const MainFormWindows& windows) {
    // The tab order is the order of siblings: put each parent's children in the order
    // of their tab positions, the controls that are no tab stops after them.
    std::vector<const ControlDescription*> controls;
    for (const ControlDescription& control : MainFormControls()) controls.push_back(&control);
    const auto rank = [](const ControlDescription* control) {
        // A control lying over another stays above it, or the one below would paint over it.
        if (RulesOf(control->kind).liesOverParent) return -1;
        return control->tabOrder >= 0 ? control->tabOrder : 1000;
    };
    std::stable_sort(controls.begin(), controls.end(), [&](const auto* a, const auto* b) { return rank(a) < rank(b); });

    std::vector<HWND> parents;
    for (const ControlDescription* control : controls) {
        const HWND parent = ::GetParent(windows.*control->member);
        if (std::find(parents.begin(), parents.end(), parent) == parents.end()) parents.push_back(parent);
    }
    for (const HWND parent : parents) {
        HWND previous = HWND_TOP;
        bool first = true;
        for (const ControlDescription* control : controls) {
            const HWND window = windows.*control->member;
            if (::GetParent(window) != parent) continue;
            ::SetWindowPos(window, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            previous = window;
            // Arrow keys move within a group; each parent's children form one.
            if (first && control->tabOrder >= 0) {
                ::SetWindowLongPtrW(window, GWL_STYLE, ::GetWindowLongPtrW(window, GWL_STYLE) | WS_GROUP);
                first = false;
            }
        }
    }
}

}  // namespace

FormFonts CreateFormFonts(UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = -::MulDiv(8, static_cast<int>(dpi), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    std::wcscpy(font.lfFaceName, L"Tahoma");
    FormFonts fonts;
    fonts.normal.reset(::CreateFontIndirectW(&font));
    font.lfUnderline = TRUE;
    fonts.link.reset(::CreateFontIndirectW(&font));
    if (!fonts.normal || !fonts.link) throw CustomPipes::ProgramError(L"The font Tahoma 8 pt could not be created");
    return fonts;
}

void SetFormFonts(const MainFormWindows& windows, const FormFonts& fonts) {
    for (const ControlDescription& control : MainFormControls()) {
        const HWND window = windows.*control.member;
        if (window) RulesOf(control.kind).setFont(window, control, FontOf(control, fonts), true);
    }
}

void CreateFormControls(HWND form, HINSTANCE instance, MainFormWindows& windows, const FormFonts& fonts) {
    for (const ControlDescription& control : MainFormControls()) {
        const ControlKindRules& rules = RulesOf(control.kind);
        const WindowStyle style = rules.style(control);
        const HWND describedParent = WindowOf(windows, control.parent);
        HWND parent = describedParent ? describedParent : form;
        if (rules.liesOverParent) parent = ::GetParent(parent);
        const HWND window =
            ::CreateWindowExW(style.exStyle, style.className, control.caption, style.style, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
        if (!window) {
            const DWORD error = ::GetLastError();
            throw CustomPipes::ProgramError(CustomPipes::SystemErrorText(
                L"The control with identifier " + std::to_wstring(control.id) + L" could not be created", error));
        }
        windows.*control.member = window;
        const HFONT font = FontOf(control, fonts);
        ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (rules.created) rules.created({window, control, describedParent, instance, font});
    }
    OrderTabStops(windows);
}

}  // namespace window
