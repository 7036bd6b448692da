// The main window described as data: one row per control, read by one creation loop.
#pragma once

#include "form_controls.h"
#include "layout.h"
#include "win32.h"

#include <span>

namespace window {

enum class ControlKind {
    PageControl,  // the tabs; its pages are the rows of kind TabSheet
    TabSheet,     // caption: the tab's text
    GroupBox,     // a framed container with a caption
    RadioGroup,   // a framed container of one column of radio buttons, one per item
    RadioButton,
    Label,        // sized to its text
    Edit,
    ComboBox,     // drop-down box
    Memo,         // multi-line, wrapping, no scroll bars
    Button,
};

struct ControlDescription {
    int id;                    // ControlId
    HWND MainFormWindows::*member;  // where the form keeps the window
    ControlKind kind;
    int parent;                // ControlId of the parent; 0: the main window
    Bounds bounds{};           // 96 DPI, in the parent's client area; a page: the area it was designed in
    const wchar_t* caption = L"";
    std::span<const wchar_t* const> items{};
    int selected = -1;         // radio group or drop-down box: the item shown at start
    bool checked = false;
    bool enabled = true;
    bool wraps = false;        // the caption wraps onto several lines
    bool link = false;         // blue and underlined, like a web link
    Anchoring anchoring = Anchoring::TopLeft;
    int tabOrder = -1;         // place among its siblings in the tab order; -1: not a stop
};

// The controls, every parent before its children.
std::span<const ControlDescription> MainFormControls();

// The row of a control; null for 0 (the main window) and for identifiers of no row.
const ControlDescription* DescriptionOf(int id);

// The window of a control in windows; null for 0 and for identifiers of no row.
HWND WindowOf(const MainFormWindows& windows, int id);

// The main window's caption: the program's name and the web-site address of Varnel.
extern const wchar_t* const kMainFormCaption;

// The page area the pages were designed in (96 DPI); anchored controls keep their
// distances to its sides.
constexpr SIZE kDesignPageSize{571, 405};

// The page area the window opens with (96 DPI). Taller than designed so that Button2
// (top 408, height 25) on the launch page is whole.
constexpr SIZE kInitialPageSize{571, 433};

}  // namespace window
