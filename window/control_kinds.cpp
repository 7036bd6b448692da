#include "control_kinds.h"

#include "containers.h"
#include "control_ids.h"
#include "program_error.h"
#include "system_error.h"
#include "window_text.h"

#include <commctrl.h>

#include <algorithm>

namespace window {

namespace {

using K = ControlKind;

constexpr DWORD kVisibleChild = WS_CHILD | WS_VISIBLE;

DWORD TabStop(const ControlDescription& control) { return control.tabOrder >= 0 ? WS_TABSTOP : 0; }
DWORD Disabled(const ControlDescription& control) { return control.enabled ? 0 : WS_DISABLED; }

SIZE ClientSize(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    return {client.right, client.bottom};
}

int CaptionWidth(HWND window, const wchar_t* caption) { return TextExtent(window, caption).cx; }

// What does not fit of a caption in its parent, short of the margin to the parent's edge.
double WideningWithinParent(int textWidth, const ControlDescription& control, SIZE designParent, UINT dpi) {
    return WideningToFit(textWidth, designParent.cx - kParentEdgeMargin - control.bounds.left, dpi);
}

// The frame line shows on both sides of a group's caption.
double CaptionInFrameWidening(HWND window, const ControlDescription& control, UINT dpi) {
    return WideningToFit(CaptionWidth(window, control.caption) + Scale(2 * kGroupCaptionIndent, dpi),
                         control.bounds.width, dpi);
}

void SetOwnFont(HWND window, const ControlDescription&, HFONT font, bool redraw) {
    ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
}

RECT PlaceByDesign(const PlacedControl& placed) {
    return PlaceControl(placed.control.bounds, placed.control.anchoring, placed.designParent,
                        ClientSize(::GetParent(placed.window)), placed.scale);
}

void RemoveTextLimit(const CreatedControl& created) { ::SendMessageW(created.window, EM_SETLIMITTEXT, 0, 0); }

// ---- PageControl: the tabs ----------------------------------------------------------

WindowStyle PageControlStyle(const ControlDescription& control) {
    return {WC_TABCONTROLW, kVisibleChild | TabStop(control) | WS_CLIPSIBLINGS, 0};
}

RECT PlacePageControl(const PlacedControl& placed) {
    RECT place{};
    ::GetClientRect(::GetParent(placed.window), &place);
    return place;
}

constexpr ControlKindRules kPageControl{
    .style = PageControlStyle, .setFont = SetOwnFont, .place = PlacePageControl};

// ---- TabSheet: a page ---------------------------------------------------------------

WindowStyle TabSheetStyle(const ControlDescription& control) {
    // Only the first page is visible at start.
    return {kTabSheetClass,
            WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                (control.id == ControlId::TabSheet1 ? DWORD{WS_VISIBLE} : DWORD{0}),
            WS_EX_CONTROLPARENT};
}

void AddTab(const CreatedControl& created) {
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<wchar_t*>(created.control.caption);
    const auto count = static_cast<int>(::SendMessageW(created.describedParent, TCM_GETITEMCOUNT, 0, 0));
    ::SendMessageW(created.describedParent, TCM_INSERTITEMW, count, reinterpret_cast<LPARAM>(&tab));
}

RECT PlaceTabSheet(const PlacedControl& placed) {
    RECT place{};
    ::GetClientRect(placed.describedParent, &place);
    ::SendMessageW(placed.describedParent, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&place));
    ::MapWindowPoints(placed.describedParent, ::GetParent(placed.window), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// Pages lie over the tab control as its siblings: a page inside the tab control would
// make the tab control a container that dialog navigation never stops on.
constexpr ControlKindRules kTabSheet{
    .style = TabSheetStyle, .liesOverParent = true, .created = AddTab, .setFont = SetOwnFont, .place = PlaceTabSheet};

// ---- GroupBox, and the frame of a RadioGroup ----------------------------------------

WindowStyle GroupStyle(const ControlDescription& control) {
    return {kGroupBoxClass, kVisibleChild | WS_CLIPSIBLINGS | Disabled(control), WS_EX_CONTROLPARENT};
}

double GroupBoxWidening(HWND window, const ControlDescription& control, SIZE, UINT dpi) {
    return CaptionInFrameWidening(window, control, dpi);
}

constexpr ControlKindRules kGroupBox{
    .style = GroupStyle, .setFont = SetOwnFont, .widening = GroupBoxWidening, .place = PlaceByDesign};

// ---- RadioGroup: a framed column of radio buttons, one per item ---------------------

template <class Action>
void ForEachItem(HWND group, const ControlDescription& control, Action action) {
    for (int index = 0; index < static_cast<int>(control.items.size()); ++index) {
        action(::GetDlgItem(group, ControlId::RadioGroupItem(control.id, index)), index);
    }
}

void CreateRadioGroupItems(const CreatedControl& created) {
    const ControlDescription& control = created.control;
    for (int index = 0; index < static_cast<int>(control.items.size()); ++index) {
        const bool selected = index == control.selected;
        const HWND item = ::CreateWindowExW(
            0, WC_BUTTONW, control.items[index],
            WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (index == 0 ? WS_GROUP : 0) | (selected ? WS_TABSTOP : 0), 0,
            0, 0, 0, created.window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId::RadioGroupItem(control.id, index))),
            created.instance, nullptr);
        if (!item) {
            const DWORD error = ::GetLastError();
            throw CustomPipes::ProgramError(CustomPipes::SystemErrorText(L"A radio group item could not be created", error));
        }
        ::SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(created.font), FALSE);
        if (selected) ::SendMessageW(item, BM_SETCHECK, BST_CHECKED, 0);
    }
}

void SetRadioGroupFont(HWND window, const ControlDescription& control, HFONT font, bool redraw) {
    SetOwnFont(window, control, font, redraw);
    ForEachItem(window, control, [&](HWND item, int) { SetOwnFont(item, control, font, redraw); });
}

double RadioGroupWidening(HWND window, const ControlDescription& control, SIZE, UINT dpi) {
    double widening = CaptionInFrameWidening(window, control, dpi);
    for (const wchar_t* item : control.items) {
        widening = std::max(widening, WideningToFit(CaptionWidth(window, item) + Scale(kRadioCheckRoom, dpi),
                                                    control.bounds.width - kRadioGroupItemsLeft - kRadioGroupItemsRight,
                                                    dpi));
    }
    return widening;
}

void ArrangeRadioGroupItems(HWND window, const ControlDescription& control, const LayoutScale& scale) {
    const SIZE group = ClientSize(window);
    const int textHeight = TextExtent(window, L"").cy;
    const int count = static_cast<int>(control.items.size());
    ForEachItem(window, control, [&](HWND item, int index) {
        const RECT r = RadioGroupItemRect(group, textHeight, count, index, scale);
        ::SetWindowPos(item, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    });
}

constexpr ControlKindRules kRadioGroup{.style = GroupStyle,
                                       .created = CreateRadioGroupItems,
                                       .setFont = SetRadioGroupFont,
                                       .widening = RadioGroupWidening,
                                       .place = PlaceByDesign,
                                       .arrangeInside = ArrangeRadioGroupItems};

// ---- RadioButton --------------------------------------------------------------------

WindowStyle RadioButtonStyle(const ControlDescription& control) {
    // Like the system's radio buttons, only the checked one of a group is a tab stop.
    return {WC_BUTTONW,
            kVisibleChild | BS_AUTORADIOBUTTON | (control.wraps ? BS_MULTILINE : 0) |
                (control.checked ? WS_TABSTOP : 0) | Disabled(control),
            0};
}

void CheckIfChecked(const CreatedControl& created) {
    if (created.control.checked) ::SendMessageW(created.window, BM_SETCHECK, BST_CHECKED, 0);
}

double RadioButtonWidening(HWND window, const ControlDescription& control, SIZE designParent, UINT dpi) {
    // A one-line radio button grows to the right across its parent (PlaceRadioButton);
    // only what does not fit there widens the layout.
    if (control.wraps) return 1.0;
    return WideningWithinParent(CaptionWidth(window, control.caption) + Scale(kRadioCheckRoom, dpi), control,
                                designParent, dpi);
}

RECT PlaceRadioButton(const PlacedControl& placed) {
    RECT place = PlaceByDesign(placed);
    if (!placed.control.wraps) {
        // Never cut off a caption that has room beside it.
        const int caption = TextExtent(placed.window, TextOf(placed.window)).cx;
        place.right = std::max<LONG>(place.right, place.left + caption + Scale(kRadioCheckRoom, placed.scale.dpi));
    }
    return place;
}

constexpr ControlKindRules kRadioButton{.style = RadioButtonStyle,
                                        .created = CheckIfChecked,
                                        .setFont = SetOwnFont,
                                        .widening = RadioButtonWidening,
                                        .place = PlaceRadioButton};

// ---- Label: sized to its text -------------------------------------------------------

WindowStyle LabelStyle(const ControlDescription& control) {
    // Captions show exactly what they hold: "&" is an ampersand, not a prefix.
    return {WC_STATICW, kVisibleChild | SS_LEFT | SS_NOPREFIX | Disabled(control), 0};
}

double LabelWidening(HWND window, const ControlDescription& control, SIZE designParent, UINT dpi) {
    return WideningWithinParent(CaptionWidth(window, control.caption), control, designParent, dpi);
}

RECT PlaceLabel(const PlacedControl& placed) {
    RECT place = PlaceByDesign(placed);
    const SIZE text = TextExtent(placed.window, TextOf(placed.window));
    place.right = place.left + text.cx;
    place.bottom = place.top + text.cy;
    return place;
}

constexpr ControlKindRules kLabel{
    .style = LabelStyle, .setFont = SetOwnFont, .widening = LabelWidening, .place = PlaceLabel};

// ---- Edit ---------------------------------------------------------------------------

WindowStyle EditStyle(const ControlDescription& control) {
    return {WC_EDITW, kVisibleChild | TabStop(control) | ES_AUTOHSCROLL | Disabled(control), WS_EX_CLIENTEDGE};
}

constexpr ControlKindRules kEdit{
    .style = EditStyle, .created = RemoveTextLimit, .setFont = SetOwnFont, .place = PlaceByDesign};

// ---- ComboBox: a drop-down box ------------------------------------------------------

WindowStyle ComboBoxStyle(const ControlDescription& control) {
    return {WC_COMBOBOXW,
            kVisibleChild | TabStop(control) | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL | Disabled(control), 0};
}

void FillComboBox(const CreatedControl& created) {
    ::SendMessageW(created.window, CB_LIMITTEXT, 0, 0);
    for (const wchar_t* item : created.control.items) {
        ::SendMessageW(created.window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    ::SendMessageW(created.window, CB_SETCURSEL, static_cast<WPARAM>(created.control.selected), 0);
}

RECT PlaceComboBox(const PlacedControl& placed) {
    // A drop-down box's height includes its list.
    RECT place = PlaceByDesign(placed);
    place.bottom += placed.scale.Y(kDropDownListHeight);
    return place;
}

constexpr ControlKindRules kComboBox{
    .style = ComboBoxStyle, .created = FillComboBox, .setFont = SetOwnFont, .place = PlaceComboBox};

// ---- Memo: multi-line ---------------------------------------------------------------

WindowStyle MemoStyle(const ControlDescription& control) {
    return {WC_EDITW,
            kVisibleChild | TabStop(control) | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | Disabled(control),
            WS_EX_CLIENTEDGE};
}

constexpr ControlKindRules kMemo{
    .style = MemoStyle, .created = RemoveTextLimit, .setFont = SetOwnFont, .place = PlaceByDesign};

// ---- Button: a push button ----------------------------------------------------------

WindowStyle ButtonStyle(const ControlDescription& control) {
    return {WC_BUTTONW, kVisibleChild | TabStop(control) | BS_PUSHBUTTON | Disabled(control), 0};
}

double ButtonWidening(HWND window, const ControlDescription& control, SIZE, UINT dpi) {
    return WideningToFit(CaptionWidth(window, control.caption) + Scale(kPushButtonEdges, dpi), control.bounds.width,
                         dpi);
}

constexpr ControlKindRules kButton{
    .style = ButtonStyle, .setFont = SetOwnFont, .widening = ButtonWidening, .place = PlaceByDesign};

}  // namespace

const ControlKindRules& RulesOf(ControlKind kind) {
    switch (kind) {
    case K::PageControl: return kPageControl;
    case K::TabSheet: return kTabSheet;
    case K::GroupBox: return kGroupBox;
    case K::RadioGroup: return kRadioGroup;
    case K::RadioButton: return kRadioButton;
    case K::Label: return kLabel;
    case K::Edit: return kEdit;
    case K::ComboBox: return kComboBox;
    case K::Memo: return kMemo;
    case K::Button: return kButton;
    }
    return kLabel;
}

}  // namespace window
