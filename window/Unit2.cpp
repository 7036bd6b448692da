#include "Unit2.h"

#include "CustomPipes.h"
#include "containers.h"
#include "control_ids.h"
#include "dpi.h"
#include "form_description.h"
#include "layout.h"
#include "memo_text.h"
#include "program_error.h"
#include "search_request.h"
#include "wire_text.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <vector>

namespace {

constexpr const wchar_t* kFormClass = L"TfrmMain";

// Room for the list of the drop-down box below its edit part, at 96 DPI.
constexpr int kDropDownListHeight = 120;

// A radio button's circle and the gap before its caption, at 96 DPI.
constexpr int kRadioCheckRoom = 18;

std::wstring SystemErrorText(const wchar_t* what, DWORD error) {
    return std::wstring(what) + L" (system error " + std::to_wstring(error) + L")";
}

std::wstring TextOf(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

bool IsChecked(HWND button) { return ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The index of the checked item of a radio group, -1 when none is checked.
int SelectedItem(HWND radioGroup) {
    const int groupId = ::GetDlgCtrlID(radioGroup);
    for (int index = 0;; ++index) {
        const HWND item = ::GetDlgItem(radioGroup, ControlId::RadioGroupItem(groupId, index));
        if (!item) return -1;
        if (IsChecked(item)) return index;
    }
}

struct WindowStyle {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

WindowStyle StyleOf(const ControlDescription& control) {
    constexpr DWORD kVisibleChild = WS_CHILD | WS_VISIBLE;
    const DWORD tabStop = control.tabOrder >= 0 ? WS_TABSTOP : 0;
    const DWORD disabled = control.enabled ? 0 : WS_DISABLED;
    switch (control.kind) {
    case ControlKind::PageControl:
        return {WC_TABCONTROLW, kVisibleChild | tabStop | WS_CLIPSIBLINGS, 0};
    case ControlKind::TabSheet:
        // Only the first page is visible at start.
        return {kTabSheetClass,
                WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
                    (control.id == ControlId::TabSheet1 ? DWORD{WS_VISIBLE} : DWORD{0}),
                WS_EX_CONTROLPARENT};
    case ControlKind::GroupBox:
    case ControlKind::RadioGroup:
        return {kGroupBoxClass, kVisibleChild | WS_CLIPSIBLINGS | disabled, WS_EX_CONTROLPARENT};
    case ControlKind::RadioButton:
        // Like the system's radio buttons, only the checked one of a group is a tab stop.
        return {WC_BUTTONW,
                kVisibleChild | BS_AUTORADIOBUTTON | (control.wraps ? BS_MULTILINE : 0) |
                    (control.checked ? WS_TABSTOP : 0) | disabled,
                0};
    case ControlKind::Label:
        // Captions show exactly what they hold: "&" is an ampersand, not a prefix.
        return {WC_STATICW, kVisibleChild | SS_LEFT | SS_NOPREFIX | disabled, 0};
    case ControlKind::Edit:
        return {WC_EDITW, kVisibleChild | tabStop | ES_AUTOHSCROLL | disabled, WS_EX_CLIENTEDGE};
    case ControlKind::ComboBox:
        return {WC_COMBOBOXW, kVisibleChild | tabStop | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL | disabled, 0};
    case ControlKind::Memo:
        return {WC_EDITW, kVisibleChild | tabStop | ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | disabled,
                WS_EX_CLIENTEDGE};
    case ControlKind::Button:
        return {WC_BUTTONW, kVisibleChild | tabStop | BS_PUSHBUTTON | disabled, 0};
    }
    return {WC_STATICW, kVisibleChild, 0};
}

const ControlDescription* DescriptionOf(int id) {
    for (const ControlDescription& control : MainFormControls()) {
        if (control.id == id) return &control;
    }
    return nullptr;
}

SIZE ClientSize(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    return {client.right, client.bottom};
}

int FontHeight(HWND window) {
    const WindowDc dc(window);
    if (!dc.Get()) return 0;
    const SelectedObject selected(dc.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(window, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.Get(), &metrics);
    return metrics.tmHeight;
}

// The size of a single-line caption drawn in the window's font, without prefix handling.
SIZE TextSize(HWND window) {
    const std::wstring text = TextOf(window);
    const WindowDc dc(window);
    if (!dc.Get()) return {};
    const SelectedObject selected(dc.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(window, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.Get(), &metrics);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
    return {extent.cx, metrics.tmHeight};
}

// The client size a control's children were designed in.
SIZE DesignClientSize(const ControlDescription& parent) {
    return parent.kind == ControlKind::TabSheet ? kDesignPageSize : SIZE{parent.bounds.width, parent.bounds.height};
}

// The width of text drawn in the window's font.
int TextWidth(HWND window, const wchar_t* text) {
    const WindowDc dc(window);
    if (!dc.Get()) return 0;
    const SelectedObject selected(dc.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(window, WM_GETFONT, 0, 0)));
    SIZE extent{};
    ::GetTextExtentPoint32W(dc.Get(), text, static_cast<int>(std::wcslen(text)), &extent);
    return extent.cx;
}

bool Contains(HWND ancestor, HWND window) { return window && (window == ancestor || ::IsChild(ancestor, window)); }

void RegisterFormClass(HINSTANCE instance, WNDPROC procedure, HICON icon) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    windowClass.lpszClassName = kFormClass;
    if (::RegisterClassExW(&windowClass)) return;
    const DWORD error = ::GetLastError();
    if (error != ERROR_CLASS_ALREADY_EXISTS) {
        throw ProgramError(SystemErrorText(L"The window class TfrmMain could not be registered", error));
    }
}

}  // namespace

TfrmMain::TfrmMain(Application& application, HINSTANCE instance) : application_(application), instance_(instance) {
    INITCOMMONCONTROLSEX commonControls{sizeof commonControls, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&commonControls);
    RegisterContainerClasses(instance);
    RegisterFormClass(instance, WindowProc, application.Icon());
    application_.SetKeyboardHandler([this](MSG& message) { return KeyboardMessage(message); });

    // WS_EX_APPWINDOW and no owner: this window carries the taskbar button.
    const HWND window = ::CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kFormClass, kMainFormCaption,
                                          WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                                          CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (!window) {
        // When the controls failed, the error display has told why already.
        if (controlsFailed_) throw AbortError();
        throw ProgramError(SystemErrorText(L"The main window could not be created", ::GetLastError()));
    }
}

TfrmMain::~TfrmMain() {
    if (handle_) ::DestroyWindow(handle_);
    application_.SetKeyboardHandler(nullptr);
    application_.SetOnMessage(nullptr);
}

void TfrmMain::Show(int showCommand) {
    RECT window{};
    ::GetWindowRect(handle_, &window);
    const int desktopLeft = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int desktopTop = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const RECT desktop{desktopLeft, desktopTop, desktopLeft + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                       desktopTop + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    const POINT origin = CentredOrigin(desktop, {window.right - window.left, window.bottom - window.top});
    ::SetWindowPos(handle_, nullptr, origin.x, origin.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::ShowWindow(handle_, showCommand);
    ::UpdateWindow(handle_);
}

// ---- Creation ------------------------------------------------------------------------

LRESULT TfrmMain::OnCreate(HWND window) noexcept {
    handle_ = window;
    scale_.dpi = WindowDpi(window);
    if (!application_.Guard([&] {
            CreateFonts();
            CreateControls();
            scale_.widening = MeasureWidening();
        })) {
        controlsFailed_ = true;
        return -1;
    }

    // The window opens with the page area it was designed for, whatever the tabs take.
    const SIZE client = InitialClientSize();
    RECT outer{}, inner{};
    ::GetWindowRect(handle_, &outer);
    ::GetClientRect(handle_, &inner);
    ::SetWindowPos(handle_, nullptr, 0, 0, client.cx + (outer.right - outer.left) - inner.right,
                   client.cy + (outer.bottom - outer.top) - inner.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayoutControls();
    lastFocus_ = PageControl1;
    created_ = true;

    application_.Guard([&] { FormCreate(); });
    return 0;
}

void TfrmMain::FormCreate() {
    application_.SetOnMessage([this](MSG& message, bool& handled) { OnApplicationMessage(message, handled); });
    // A block that cannot be created is noted, not raised: the service messages are
    // registered all the same, and the send button reports it.
    requestBlock_ = RequestBlock::CreateFor(handle_);
    CustomPipes::RegisterServiceMessages();
}

void TfrmMain::CreateFonts() {
    LOGFONTW font{};
    font.lfHeight = -::MulDiv(8, static_cast<int>(scale_.dpi), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    std::wcscpy(font.lfFaceName, L"Tahoma");
    UniqueFont normal(::CreateFontIndirectW(&font));
    font.lfUnderline = TRUE;
    UniqueFont link(::CreateFontIndirectW(&font));
    if (!normal || !link) throw ProgramError(L"The font Tahoma 8 pt could not be created");

    // Controls that exist take the new fonts before the old ones are deleted.
    for (const ControlDescription& control : MainFormControls()) {
        const HWND window = this->*control.member;
        if (!window) continue;
        const HFONT chosen = control.link ? link.get() : normal.get();
        ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(chosen), TRUE);
        if (control.kind == ControlKind::RadioGroup) {
            for (int index = 0; index < static_cast<int>(control.items.size()); ++index) {
                ::SendMessageW(::GetDlgItem(window, ControlId::RadioGroupItem(control.id, index)), WM_SETFONT,
                               reinterpret_cast<WPARAM>(chosen), TRUE);
            }
        }
    }
    font_ = std::move(normal);
    linkFont_ = std::move(link);
}

HWND TfrmMain::ControlById(int id) const {
    if (id == 0) return handle_;
    const ControlDescription* control = DescriptionOf(id);
    return control ? this->*control->member : nullptr;
}

void TfrmMain::CreateControls() {
    for (const ControlDescription& control : MainFormControls()) {
        const WindowStyle style = StyleOf(control);
        // Pages lie over the tab control as its siblings: a page inside the tab control
        // would make the tab control a container that dialog navigation never stops on.
        const HWND parent = control.kind == ControlKind::TabSheet ? handle_ : ControlById(control.parent);
        const HWND window =
            ::CreateWindowExW(style.exStyle, style.className, control.caption, style.style, 0, 0, 0, 0, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance_, nullptr);
        if (!window) {
            throw ProgramError(SystemErrorText(
                (L"The control with identifier " + std::to_wstring(control.id) + L" could not be created").c_str(),
                ::GetLastError()));
        }
        this->*control.member = window;
        const HFONT font = control.link ? linkFont_.get() : font_.get();
        ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

        switch (control.kind) {
        case ControlKind::TabSheet: {
            TCITEMW tab{};
            tab.mask = TCIF_TEXT;
            tab.pszText = const_cast<wchar_t*>(control.caption);
            const auto count = static_cast<int>(::SendMessageW(PageControl1, TCM_GETITEMCOUNT, 0, 0));
            ::SendMessageW(PageControl1, TCM_INSERTITEMW, count, reinterpret_cast<LPARAM>(&tab));
            break;
        }
        case ControlKind::RadioGroup:
            for (int index = 0; index < static_cast<int>(control.items.size()); ++index) {
                const bool selected = index == control.selected;
                const HWND item = ::CreateWindowExW(
                    0, WC_BUTTONW, control.items[index],
                    WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (index == 0 ? WS_GROUP : 0) | (selected ? WS_TABSTOP : 0),
                    0, 0, 0, 0, window,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId::RadioGroupItem(control.id, index))),
                    instance_, nullptr);
                if (!item) throw ProgramError(SystemErrorText(L"A radio group item could not be created", ::GetLastError()));
                ::SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
                if (selected) ::SendMessageW(item, BM_SETCHECK, BST_CHECKED, 0);
            }
            break;
        case ControlKind::RadioButton:
            if (control.checked) ::SendMessageW(window, BM_SETCHECK, BST_CHECKED, 0);
            break;
        case ControlKind::Edit:
        case ControlKind::Memo:
            ::SendMessageW(window, EM_SETLIMITTEXT, 0, 0);  // no limit
            break;
        case ControlKind::ComboBox:
            ::SendMessageW(window, CB_LIMITTEXT, 0, 0);
            for (const wchar_t* item : control.items) {
                ::SendMessageW(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
            }
            ::SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(control.selected), 0);
            break;
        default:
            break;
        }
    }
    OrderTabStops();
}

void TfrmMain::OrderTabStops() {
    // The tab order is the order of siblings: put each parent's children in the order
    // of their tab positions, the controls that are no tab stops after them.
    std::vector<const ControlDescription*> controls;
    for (const ControlDescription& control : MainFormControls()) controls.push_back(&control);
    const auto rank = [](const ControlDescription* control) {
        // Pages stay above the tab control they lie on, or it would paint over them.
        if (control->kind == ControlKind::TabSheet) return -1;
        return control->tabOrder >= 0 ? control->tabOrder : 1000;
    };
    std::stable_sort(controls.begin(), controls.end(), [&](const auto* a, const auto* b) { return rank(a) < rank(b); });

    std::vector<HWND> parents;
    for (const ControlDescription* control : controls) {
        const HWND parent = ::GetParent(this->*control->member);
        if (std::find(parents.begin(), parents.end(), parent) == parents.end()) parents.push_back(parent);
    }
    for (const HWND parent : parents) {
        HWND previous = HWND_TOP;
        bool first = true;
        for (const ControlDescription* control : controls) {
            const HWND window = this->*control->member;
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

double TfrmMain::MeasureWidening() const {
    // The design assumes Tahoma's widths. Where this system's font writes a caption
    // wider than its control, the whole layout widens, so no caption is cut off.
    const UINT dpi = scale_.dpi;
    const int checkRoom = Scale(kRadioCheckRoom, dpi);
    const int buttonRoom = Scale(16, dpi);  // a push button's edges
    const int frameRoom = Scale(16, dpi);   // the frame line left and right of a group's caption
    double widening = 1.0;
    const auto fit = [&](int textWidth, int room) { widening = std::max(widening, WideningToFit(textWidth, room, dpi)); };
    for (const ControlDescription& control : MainFormControls()) {
        const HWND window = this->*control.member;
        switch (control.kind) {
        case ControlKind::RadioButton:
            // A one-line radio button grows to the right across its parent (see
            // LayoutControls); only what does not fit there widens the layout.
            if (!control.wraps) {
                fit(TextWidth(window, control.caption) + checkRoom,
                    DesignClientSize(*DescriptionOf(control.parent)).cx - 3 - control.bounds.left);
            }
            break;
        case ControlKind::Button:
            fit(TextWidth(window, control.caption) + buttonRoom, control.bounds.width);
            break;
        case ControlKind::RadioGroup:
            for (const wchar_t* item : control.items) {
                fit(TextWidth(window, item) + checkRoom, control.bounds.width - 10);
            }
            fit(TextWidth(window, control.caption) + frameRoom, control.bounds.width);
            break;
        case ControlKind::GroupBox:
            fit(TextWidth(window, control.caption) + frameRoom, control.bounds.width);
            break;
        case ControlKind::Label:
            // Within its parent, short of a 3-pixel margin.
            fit(TextWidth(window, control.caption),
                DesignClientSize(*DescriptionOf(control.parent)).cx - 3 - control.bounds.left);
            break;
        default:
            break;
        }
    }
    return widening;
}

SIZE TfrmMain::InitialClientSize() const {
    ::SetWindowPos(PageControl1, nullptr, 0, 0, scale_.X(kInitialPageSize.cx + 8), scale_.Y(kInitialPageSize.cy + 28),
                   SWP_NOZORDER | SWP_NOACTIVATE);
    RECT pages{0, 0, scale_.X(kInitialPageSize.cx), scale_.Y(kInitialPageSize.cy)};
    ::SendMessageW(PageControl1, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&pages));
    return {pages.right - pages.left, pages.bottom - pages.top};
}

// ---- Layout --------------------------------------------------------------------------

void TfrmMain::LayoutControls() noexcept {
    if (!Button2) return;  // the controls are not all there yet
    const int textHeight = FontHeight(RadioGroup1);
    for (const ControlDescription& control : MainFormControls()) {
        const HWND window = this->*control.member;
        RECT place{};
        switch (control.kind) {
        case ControlKind::PageControl:
            ::GetClientRect(handle_, &place);
            break;
        case ControlKind::TabSheet:
            ::GetClientRect(PageControl1, &place);
            ::SendMessageW(PageControl1, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&place));
            ::MapWindowPoints(PageControl1, handle_, reinterpret_cast<POINT*>(&place), 2);
            break;
        default: {
            place = PlaceControl(control.bounds, control.anchoring, DesignClientSize(*DescriptionOf(control.parent)),
                                 ClientSize(::GetParent(window)), scale_);
            break;
        }
        }
        if (control.kind == ControlKind::Label) {
            const SIZE text = TextSize(window);
            place.right = place.left + text.cx;
            place.bottom = place.top + text.cy;
        }
        if (control.kind == ControlKind::RadioButton && !control.wraps) {
            // Never cut off a caption that has room beside it.
            place.right = std::max<LONG>(place.right, place.left + TextSize(window).cx + Scale(kRadioCheckRoom, scale_.dpi));
        }
        if (control.kind == ControlKind::ComboBox) place.bottom += scale_.Y(kDropDownListHeight);
        ::SetWindowPos(window, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);

        if (control.kind == ControlKind::RadioGroup) {
            const SIZE group = ClientSize(window);
            const int count = static_cast<int>(control.items.size());
            for (int index = 0; index < count; ++index) {
                const RECT item = RadioGroupItemRect(group, textHeight, count, index, scale_);
                ::SetWindowPos(::GetDlgItem(window, ControlId::RadioGroupItem(control.id, index)), nullptr, item.left,
                               item.top, item.right - item.left, item.bottom - item.top, SWP_NOZORDER | SWP_NOACTIVATE);
            }
        }
    }
}

void TfrmMain::FitLabelToText(HWND label) const {
    const SIZE text = TextSize(label);
    ::SetWindowPos(label, nullptr, 0, 0, text.cx, text.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(label, nullptr, TRUE);
}

// ---- Window procedure ----------------------------------------------------------------

LRESULT CALLBACK TfrmMain::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* form = reinterpret_cast<TfrmMain*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!form) return ::DefWindowProcW(window, message, wParam, lParam);

    switch (message) {
    case WM_CREATE:
        return form->OnCreate(window);
    case WM_SIZE:
        form->LayoutControls();
        return 0;
    case WM_COMMAND:
        form->OnCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY:
        return form->OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CTLCOLORSTATIC:
        return form->OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ACTIVATE:
        form->OnActivate(wParam);
        return 0;
    case WM_SETFOCUS:
        form->RestoreFocus();
        return 0;
    case WM_NEXTDLGCTL:
        form->OnNextDlgCtl(wParam, lParam);
        return 0;
    case WM_DPICHANGED:
        form->OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        // Closing is always allowed; nothing is saved.
        form->created_ = false;
        ::PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        form->handle_ = nullptr;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void TfrmMain::OnCommand(int id, int code) noexcept {
    if (!created_) return;  // controls notify while they are being created
    switch (id) {
    case IDOK:
        // Enter in the dialog navigation: a focused push button is pressed.
        if (const HWND focus = ::GetFocus(); focus == Button1 || focus == Button2) {
            OnCommand(::GetDlgCtrlID(focus), BN_CLICKED);
        }
        break;
    case ControlId::Button1:
        if (code == BN_CLICKED) application_.Guard([&] { Button1Click(); });
        break;
    case ControlId::Button2:
        if (code == BN_CLICKED) application_.Guard([&] { Button2Click(); });
        break;
    case ControlId::Edit9:
        if (code == EN_CHANGE) application_.Guard([&] { Edit9Change(); });
        break;
    case ControlId::Edit10:
        if (code == EN_CHANGE) application_.Guard([&] { Edit10Change(); });
        break;
    case ControlId::Edit11:
        if (code == EN_CHANGE) application_.Guard([&] { Edit11Change(); });
        break;
    }
}

LRESULT TfrmMain::OnNotify(const NMHDR& header) noexcept {
    if (header.hwndFrom == PageControl1 && header.code == TCN_SELCHANGE) {
        ShowPage(static_cast<int>(::SendMessageW(PageControl1, TCM_GETCURSEL, 0, 0)));
    }
    return 0;
}

LRESULT TfrmMain::OnCtlColorStatic(HDC dc, HWND control) noexcept {
    if (control == Label10 || control == Label11 || control == Label12) {
        ::SetTextColor(dc, RGB(0, 0, 255));
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    return ::DefWindowProcW(handle_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
}

void TfrmMain::OnActivate(WPARAM wParam) noexcept {
    // As a dialog does: the focused control is remembered when the window loses the
    // activation and gets the focus back when it regains it.
    if (LOWORD(wParam) == WA_INACTIVE) {
        const HWND focus = ::GetFocus();
        if (focus && ::IsChild(handle_, focus)) lastFocus_ = focus;
    } else if (!HIWORD(wParam)) {
        RestoreFocus();
    }
}

void TfrmMain::RestoreFocus() noexcept {
    const bool usable = lastFocus_ && ::IsWindow(lastFocus_) && ::IsWindowVisible(lastFocus_) &&
                        ::IsWindowEnabled(lastFocus_);
    const HWND target = usable ? lastFocus_ : PageControl1;
    if (target) ::SetFocus(target);
}

void TfrmMain::OnNextDlgCtl(WPARAM wParam, LPARAM lParam) noexcept {
    const HWND target = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                       : ::GetNextDlgTabItem(handle_, ::GetFocus(), wParam != 0);
    if (!target) return;
    ::SetFocus(target);
    if (::SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) ::SendMessageW(target, EM_SETSEL, 0, -1);
}

void TfrmMain::OnDpiChanged(UINT dpi, const RECT& suggested) noexcept {
    application_.Guard([&] {
        scale_.dpi = dpi;
        CreateFonts();
        scale_.widening = MeasureWidening();
        ::SetWindowPos(handle_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                       suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        LayoutControls();
    });
}

// ---- Keyboard and pages --------------------------------------------------------------

bool TfrmMain::KeyboardMessage(MSG& message) noexcept {
    if (!handle_ || !Contains(handle_, message.hwnd)) return false;
    if (message.message == WM_KEYDOWN && message.wParam == VK_TAB && ::GetKeyState(VK_CONTROL) < 0) {
        SelectNextPage(::GetKeyState(VK_SHIFT) >= 0);
        return true;
    }
    return ::IsDialogMessageW(handle_, &message) != FALSE;
}

void TfrmMain::SelectNextPage(bool forward) noexcept {
    const auto count = static_cast<int>(::SendMessageW(PageControl1, TCM_GETITEMCOUNT, 0, 0));
    if (count <= 0) return;
    const auto current = static_cast<int>(::SendMessageW(PageControl1, TCM_GETCURSEL, 0, 0));
    const int next = (current + (forward ? 1 : count - 1)) % count;
    // Without button style this selects the page and notifies, as a click on a tab does.
    ::SendMessageW(PageControl1, TCM_SETCURFOCUS, next, 0);
}

void TfrmMain::ShowPage(int index) noexcept {
    const HWND pages[] = {TabSheet1, TabSheet2, TabSheet3, TabSheet4};
    if (index < 0 || index >= static_cast<int>(std::size(pages))) return;
    const HWND focus = ::GetFocus();
    ::ShowWindow(pages[index], SW_SHOW);
    for (int other = 0; other < static_cast<int>(std::size(pages)); ++other) {
        if (other == index) continue;
        if (Contains(pages[other], focus)) {
            // The focus leaves a page that is hidden for the first control of the new one.
            const HWND first = ::GetNextDlgTabItem(handle_, PageControl1, FALSE);
            ::SetFocus(Contains(pages[index], first) ? first : PageControl1);
        }
        ::ShowWindow(pages[other], SW_HIDE);
    }
}

// ---- Event handlers ------------------------------------------------------------------

void TfrmMain::Button1Click() {
    SearchFields fields;
    fields.ComboBox1 = TextOf(ComboBox1);
    fields.Edit1 = TextOf(Edit1);
    fields.Edit2 = TextOf(Edit2);
    fields.Edit3 = TextOf(Edit3);
    fields.Edit4 = TextOf(Edit4);
    fields.Edit5 = TextOf(Edit5);
    fields.Edit6 = TextOf(Edit6);
    fields.Edit7 = TextOf(Edit7);
    fields.Edit8 = TextOf(Edit8);
    fields.RadioButton4 = IsChecked(RadioButton4);
    fields.RadioButton5 = IsChecked(RadioButton5);
    fields.RadioButton6 = IsChecked(RadioButton6);
    fields.RadioGroup1 = SelectedItem(RadioGroup1);
    fields.RadioGroup2 = SelectedItem(RadioGroup2);
    fields.RadioGroup3 = SelectedItem(RadioGroup3);

    const std::wstring request = BuildSearchRequest(fields);
    requestBlock_.Write(request);
    CustomPipes::EnsureServerAndNotify(handle_, CustomPipes::kWindowRequestCode);
}

void TfrmMain::OnApplicationMessage(MSG& message, bool& handled) {
    const UINT dataReady = CustomPipes::ServiceMessage(CustomPipes::Service::Varnel, CustomPipes::MessageKind::DataReady);
    if (!created_ || dataReady == 0 || message.message != dataReady) return;
    std::wstring answer;
    CustomPipes::ReadServiceAnswer(message, handled, answer);
    ShowAnswer(answer);
}

void TfrmMain::ShowAnswer(const std::wstring& text) {
    // One text for the whole memo: adding a line at a time re-lays the memo each time,
    // which a 64 KB answer makes slow.
    static const bool underWine = RunsUnderWine();
    ::SetWindowTextW(Memo1, MemoText(wire::DecodeLinesJoined(text), underWine).c_str());
}

void TfrmMain::Button2Click() {
    const std::wstring path = CustomPipes::LookUpServerExecutable();
    if (IsChecked(RadioButton1)) {
        CustomPipes::StartWithArguments(path, L" -a:" + TextOf(Edit9));
    } else if (IsChecked(RadioButton2)) {
        CustomPipes::StartWithArguments(path, L" -i:" + TextOf(Edit10));
    } else if (IsChecked(RadioButton3)) {
        CustomPipes::StartWithArguments(path, L" -f:" + TextOf(Edit11));
    }
}

void TfrmMain::Edit9Change() { ShowExample(Label14, L"varnel.exe -a:", Edit9); }
void TfrmMain::Edit10Change() { ShowExample(Label16, L"varnel.exe -i:", Edit10); }
void TfrmMain::Edit11Change() { ShowExample(Label18, L"varnel.exe -f:", Edit11); }

void TfrmMain::ShowExample(HWND label, const wchar_t* prefix, HWND edit) {
    ::SetWindowTextW(label, (prefix + TextOf(edit)).c_str());
    FitLabelToText(label);
}
