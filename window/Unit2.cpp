#include "Unit2.h"

#include "CustomPipes.h"
#include "containers.h"
#include "control_ids.h"
#include "dpi.h"
#include "form_description.h"
#include "form_layout.h"
#include "launch_switch.h"
#include "memo_text.h"
#include "program_error.h"
#include "search_request.h"
#include "system_error.h"
#include "window_text.h"
#include "wire_text.h"

#include <commctrl.h>

#include <utility>

namespace window {

namespace {

constexpr const wchar_t* kFormClass = L"TfrmMain";

// The turn among Varnel's clients is given up when no answer came in this time. A chosen
// answer that comes later is still shown.
constexpr UINT_PTR kTurnTimer = 1;
constexpr UINT kTurnTimeoutMs = 30000;

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

}  // namespace

TfrmMain::TfrmMain(Application& application, HINSTANCE instance) : application_(application), instance_(instance) {
    INITCOMMONCONTROLSEX commonControls{sizeof commonControls, ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    ::InitCommonControlsEx(&commonControls);
    RegisterContainerClasses(instance);
    RegisterFormWindowClass(instance, kFormClass, WindowProc, 0, application.Icon());
    application_.SetKeyboardHandler([this](MSG& message) { return NavigationKey(handle_, PageControl1, message); });

    // WS_EX_APPWINDOW and no owner: this window carries the taskbar button.
    const HWND window = ::CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kFormClass, kMainFormCaption,
                                          WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                                          CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (!window) {
        // When the controls failed, the error display has told why already.
        const DWORD error = ::GetLastError();
        if (controlsFailed_) throw CustomPipes::AbortError();
        throw CustomPipes::ProgramError(CustomPipes::SystemErrorText(L"The main window could not be created", error));
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
            CreateFormControls(handle_, instance_, *this, fonts_);
            scale_.widening = MeasureWidening(*this, scale_.dpi);
        })) {
        controlsFailed_ = true;
        return -1;
    }

    // The window opens with the page area it was designed for, whatever the tabs take.
    const SIZE client = InitialClientSize(*this, scale_);
    RECT outer{}, inner{};
    ::GetWindowRect(handle_, &outer);
    ::GetClientRect(handle_, &inner);
    ::SetWindowPos(handle_, nullptr, 0, 0, client.cx + (outer.right - outer.left) - inner.right,
                   client.cy + (outer.bottom - outer.top) - inner.bottom, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayoutControls();
    lastFocus_.Set(PageControl1);
    created_ = true;

    application_.Guard([&] { FormCreate(); });
    return 0;
}

void TfrmMain::FormCreate() {
    application_.SetOnMessage([this](MSG& message, bool& handled) { OnApplicationMessage(message, handled); });
    // A block that cannot be created is noted, not raised: the service messages are
    // registered all the same, and the send button reports it.
    requestBlock_ = CustomPipes::RequestBlock::CreateFor(handle_);
    CustomPipes::RegisterServiceMessages();
    CustomPipes::AcceptFromAnyProcess(
        handle_, CustomPipes::ServiceMessage(CustomPipes::Service::Varnel, CustomPipes::MessageKind::DataReady));
}

void TfrmMain::CreateFonts() {
    FormFonts fonts = CreateFormFonts(scale_.dpi);
    // Controls that exist take the new fonts before the old ones are deleted.
    SetFormFonts(*this, fonts);
    fonts_ = std::move(fonts);
}

void TfrmMain::LayoutControls() noexcept {
    if (!Button2) return;  // the controls are not all there yet
    LayOutForm(*this, scale_);
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
        form->lastFocus_.OnActivate(window, wParam, form->PageControl1);
        return 0;
    case WM_SETFOCUS:
        form->lastFocus_.Restore(form->PageControl1);
        return 0;
    case WM_NEXTDLGCTL:
        MoveFocus(window, wParam, lParam);
        return 0;
    case WM_DPICHANGED:
        form->OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        // Closing is always allowed; nothing is saved.
        form->created_ = false;
        ::PostQuitMessage(0);
        return 0;
    case WM_TIMER:
        if (wParam == kTurnTimer) form->EndTurn();
        return 0;
    case WM_NCDESTROY:
        form->handle_ = nullptr;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    default:
        if (message == CustomPipes::ServiceMessage(CustomPipes::Service::Varnel, CustomPipes::MessageKind::DataReady) &&
            message != 0) {
            const MSG copy{window, message, wParam, lParam, 0, {}};
            form->application_.Guard([&] { form->OnDataReady(copy); });
            return 0;
        }
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
        const HWND pages[] = {TabSheet1, TabSheet2, TabSheet3, TabSheet4};
        ShowPage(handle_, PageControl1, pages, static_cast<int>(::SendMessageW(PageControl1, TCM_GETCURSEL, 0, 0)));
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

void TfrmMain::OnDpiChanged(UINT dpi, const RECT& suggested) noexcept {
    application_.Guard([&] {
        scale_.dpi = dpi;
        CreateFonts();
        scale_.widening = MeasureWidening(*this, scale_.dpi);
        ::SetWindowPos(handle_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                       suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
        LayoutControls();
    });
}

// ---- Event handlers ------------------------------------------------------------------

void TfrmMain::Button1Click() {
    // The one place where page 1's controls become a search.
    using Search = CustomPipes::SearchRequest;
    Search search;
    search.by = IsChecked(RadioButton5)   ? Search::By::Name
                : IsChecked(RadioButton6) ? Search::By::Code
                                          : Search::By::Address;
    search.answer = SelectedItem(RadioGroup1) == 1 ? Search::Answer::ChosenInVarnel : Search::Answer::Automatic;
    search.addressOf = SelectedItem(RadioGroup2) == 1 ? Search::AddressOf::Defendant : Search::AddressOf::Body;
    search.nameOf = SelectedItem(RadioGroup3) == 1 ? Search::NameOf::OfficialSurname : Search::NameOf::Body;
    search.language = TextOf(ComboBox1);
    search.address = {.subject = TextOf(Edit1),
                      .district = TextOf(Edit2),
                      .city = TextOf(Edit3),
                      .settlement = TextOf(Edit4),
                      .street = TextOf(Edit5),
                      .index = TextOf(Edit6)};
    search.code = TextOf(Edit7);
    search.name = TextOf(Edit8);

    const std::wstring request = CustomPipes::BuildSearchRequest(search);
    // One answer block serves every client: our clients take turns, and this window
    // does not wait for its turn but says so.
    if (!turn_) turn_ = CustomPipes::ExchangeTurn::Take(std::chrono::steady_clock::now());
    if (!turn_) {
        throw CustomPipes::ProgramError(
            L"Another program is waiting for Varnel's answer to its request; send the request again in a moment");
    }
    ::SetTimer(handle_, kTurnTimer, kTurnTimeoutMs, nullptr);
    try {
        requestBlock_.Write(request);
        if (!CustomPipes::EnsureServerAndNotify(handle_, CustomPipes::kWindowRequestCode)) EndTurn();
    } catch (...) {
        EndTurn();
        throw;
    }
}

void TfrmMain::OnApplicationMessage(MSG& message, bool& handled) {
    if (OnDataReady(message)) handled = true;
}

bool TfrmMain::OnDataReady(const MSG& message) {
    const UINT dataReady = CustomPipes::ServiceMessage(CustomPipes::Service::Varnel, CustomPipes::MessageKind::DataReady);
    if (!created_ || dataReady == 0 || message.message != dataReady) return false;
    // An answer that names another client is not this window's.
    if (!CustomPipes::IsAnswerFor(message.lParam, CustomPipes::WindowHandleValue(handle_))) return false;
    const std::optional<std::wstring> answer = CustomPipes::ReadAnswer(dataReady);
    ShowAnswer(answer.value_or(std::wstring()));  // a block that cannot be read clears the memo
    EndTurn();
    return answer.has_value();
}

void TfrmMain::EndTurn() noexcept {
    ::KillTimer(handle_, kTurnTimer);
    turn_.Release();
}

void TfrmMain::ShowAnswer(const std::wstring& text) {
    // One text for the whole memo: adding a line at a time re-lays the memo each time,
    // which a 64 KB answer makes slow.
    static const bool underWine = RunsUnderWine();
    ::SetWindowTextW(Memo1, MemoText(CustomPipes::wire::DecodeLinesJoined(text), underWine).c_str());
}

void TfrmMain::Button2Click() {
    using CustomPipes::LaunchSwitch;
    const std::wstring path = CustomPipes::LookUpServerExecutable();
    if (IsChecked(RadioButton1)) {
        CustomPipes::StartWithArguments(path, CustomPipes::LaunchArguments(LaunchSwitch::Name, TextOf(Edit9)));
    } else if (IsChecked(RadioButton2)) {
        CustomPipes::StartWithArguments(path, CustomPipes::LaunchArguments(LaunchSwitch::Code, TextOf(Edit10)));
    } else if (IsChecked(RadioButton3)) {
        CustomPipes::StartWithArguments(path, CustomPipes::LaunchArguments(LaunchSwitch::Surname, TextOf(Edit11)));
    }
}

void TfrmMain::Edit9Change() { ShowExample(Label14, CustomPipes::LaunchSwitch::Name, Edit9); }
void TfrmMain::Edit10Change() { ShowExample(Label16, CustomPipes::LaunchSwitch::Code, Edit10); }
void TfrmMain::Edit11Change() { ShowExample(Label18, CustomPipes::LaunchSwitch::Surname, Edit11); }

void TfrmMain::ShowExample(HWND label, CustomPipes::LaunchSwitch which, HWND edit) {
    // "varnel.exe -a:" and the text: the command line the button makes, after the path.
    ::SetWindowTextW(label, (L"varnel.exe" + CustomPipes::LaunchArguments(which, TextOf(edit))).c_str());
    FitLabelToText(label);
}

}  // namespace window
