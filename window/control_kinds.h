// What differs between the kinds of control: for each kind its window class and style,
// what follows its creation, how its captions widen the layout and where it is placed.
// The creation and layout loops read these rules and never ask for a kind themselves.
#pragma once

#include "form_description.h"
#include "layout.h"
#include "win32.h"

namespace window {

struct WindowStyle {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

// A control just created, as the rules see it.
struct CreatedControl {
    HWND window;
    const ControlDescription& control;
    HWND describedParent;  // the window of the row's parent; null for the main window
    HINSTANCE instance;
    HFONT font;
};

// A control being placed in its window parent's client area.
struct PlacedControl {
    HWND window;
    const ControlDescription& control;
    HWND describedParent;
    SIZE designParent;  // the client size the row's parent was designed with (96 DPI)
    const LayoutScale& scale;
};

struct ControlKindRules {
    WindowStyle (*style)(const ControlDescription& control);
    // Created as a sibling lying over the window of its row's parent, and kept above it.
    bool liesOverParent = false;
    // What follows creation: items, check marks, limits. Null: nothing. May throw.
    void (*created)(const CreatedControl& created) = nullptr;
    // Gives the control, and the windows it made itself, a font.
    void (*setFont)(HWND window, const ControlDescription& control, HFONT font, bool redraw) = nullptr;
    // The widening of the layout that the control's captions need at dpi. Null: none.
    double (*widening)(HWND window, const ControlDescription& control, SIZE designParent, UINT dpi) = nullptr;
    RECT (*place)(const PlacedControl& placed) = nullptr;
    // Lays out what the control holds once it has its size. Null: nothing to do.
    void (*arrangeInside)(HWND window, const ControlDescription& control, const LayoutScale& scale) = nullptr;
};

const ControlKindRules& RulesOf(ControlKind kind);

}  // namespace window
