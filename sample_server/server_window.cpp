#include "server_window.h"

#include "display_text.h"
#include "named_block.h"
#include "program_error.h"
#include "protocol.h"
#include "request_handling.h"
#include "server_interface.h"
#include "service_catalogue.h"
#include "system_error.h"
#include "window_class.h"
#include "wire_text.h"

#include <array>

namespace sample_server {

namespace {

constexpr const wchar_t* kTitle = L"Varnel — учебный сервер";
constexpr int kMargin = 8;
constexpr int kLabelHeight = 16;
constexpr int kButtonHeight = 26;
constexpr int kButtonWidth = 180;
// The log keeps the newest lines; older ones are dropped.
constexpr LRESULT kMaxLogLines = 4000;

// Posted to the window itself when log lines wait to be written.
constexpr UINT kWriteLogMessage = WM_APP + 1;
constexpr size_t kMaxRequestLines = 60;
constexpr size_t kMaxAnswerLines = 80;

// The window description: one row per control, read by one creation loop.
struct ControlArgs {
    int id;
    const wchar_t* className;
    const wchar_t* caption;
    DWORD style;
};

constexpr int kLogLabelId = 201;
constexpr int kMatchesLabelId = 202;

constexpr std::array kControls{
    ControlArgs{.id = kLogLabelId, .className = L"STATIC", .caption = L"Журнал: полученные запросы и отправленные ответы",
                .style = SS_LEFT | SS_NOPREFIX},
    ControlArgs{.id = kLogListId, .className = L"LISTBOX", .caption = L"",
                .style = WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOSEL},
    ControlArgs{.id = kMatchesLabelId, .className = L"STATIC", .caption = L"Найденные органы",
                .style = SS_LEFT | SS_NOPREFIX},
    ControlArgs{.id = kMatchesListId, .className = L"LISTBOX", .caption = L"",
                .style = WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY},
    ControlArgs{.id = kSendChosenId, .className = L"BUTTON", .caption = L"Отправить выбранное",
                .style = WS_TABSTOP | BS_PUSHBUTTON},
    ControlArgs{.id = kStatusId, .className = L"STATIC", .caption = L"Нет запроса, ожидающего выбора.",
                .style = SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS},
};

std::wstring Now() {
    SYSTEMTIME t{};
    ::GetLocalTime(&t);
    wchar_t text[16];
    ::wsprintfW(text, L"%02u:%02u:%02u", t.wHour, t.wMinute, t.wSecond);
    return text;
}

std::wstring MatchCaption(const Match& match) {
    std::wstring caption = match.body->code + L"  " + match.body->name;
    for (const std::wstring& judge : match.judges) caption += L"  [" + judge + L"]";
    return caption;
}

std::wstring SearchCaption(const Search& search) {
    switch (search.kind) {
        case SearchKind::Address: return L"поиск по адресу «" + FormatAddress(search.address) + L"»";
        case SearchKind::Name: return L"поиск по наименованию «" + search.text + L"»";
        case SearchKind::Surname: return L"поиск по фамилии «" + search.text + L"»";
        case SearchKind::Code: return L"поиск по коду «" + search.text + L"»";
        case SearchKind::None: break;
    }
    return L"искать нечего";
}

}  // namespace

ServerWindow::ServerWindow(HINSTANCE instance, AnswerBlock& answers) : instance_(instance), answers_(answers) {}

void ServerWindow::Create(int showCommand) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &ServerWindow::WindowProc;
    windowClass.hInstance = instance_;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = CustomPipes::kVarnelWindowClass;
    CustomPipes::RegisterWindowClass(windowClass);

    requestMessage_ = CustomPipes::ServiceMessage(CustomPipes::Service::Varnel, CustomPipes::MessageKind::Request);
    if (!::CreateWindowExW(0, CustomPipes::kVarnelWindowClass, kTitle, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                           CW_USEDEFAULT, CW_USEDEFAULT, 820, 600, nullptr, nullptr, instance_, this)) {
        const DWORD error = ::GetLastError();
        throw CustomPipes::ProgramError(CustomPipes::SystemErrorText(L"The window could not be created", error));
    }
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
}

LRESULT CALLBACK ServerWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<ServerWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<ServerWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(window, message, wParam, lParam);
    return self->HandleMessage(message, wParam, lParam);
}

LRESULT ServerWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    // Registered messages are known only at run time, so they are matched first.
    if (message == requestMessage_ && requestMessage_ != 0) {
        Guarded(L"Запрос", [&] { OnRequest(wParam, lParam); });
        return 0;
    }
    switch (message) {
        case WM_CREATE: Guarded(L"Создание окна", [&] { OnCreate(); }); return 0;
        case WM_SIZE: OnSize(LOWORD(lParam), HIWORD(lParam)); return 0;
        case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
        case WM_COPYDATA: return OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_GETMINMAXINFO: reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {480, 360}; return 0;
        case WM_DESTROY: ::PostQuitMessage(0); return 0;
        case kWriteLogMessage: WriteLog(); return 0;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

template <typename Handler>
void ServerWindow::Guarded(const wchar_t* what, Handler&& handler) noexcept {
    try {
        handler();
    } catch (const CustomPipes::ProgramError& e) {
        try {
            Log(Now() + L"  " + what + L": ошибка: " + e.Text());
        } catch (...) {
        }
    } catch (const std::exception& e) {
        try {
            Log(Now() + L"  " + what + L": сбой: " + CustomPipes::ExceptionText(e));
        } catch (...) {
        }
    } catch (...) {
    }
}

void ServerWindow::OnCreate() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW face = metrics.lfMessageFont;
    ::lstrcpynW(face.lfFaceName, L"Tahoma", LF_FACESIZE);
    font_.reset(::CreateFontIndirectW(&face));
    for (const ControlArgs& c : kControls) {
        HWND control = ::CreateWindowExW(0, c.className, c.caption, WS_CHILD | WS_VISIBLE | c.style, 0, 0, 10, 10,
                                         window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance_, nullptr);
        if (!control) throw CustomPipes::ProgramError(L"The control " + std::to_wstring(c.id) + L" could not be created");
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    // Long request lines stay whole and scroll sideways.
    ::SendMessageW(Control(kLogListId), LB_SETHORIZONTALEXTENT, 3200, 0);
    Log(Now() + L"  Сервер запущен: окно " + std::to_wstring(CustomPipes::WindowHandleValue(window_)) +
        L", блок ответа \"" + CustomPipes::CatalogueEntry(CustomPipes::Service::Varnel).answerBlockName + L"\".");
}

void ServerWindow::OnSize(int width, int height) {
    const int inner = std::max(0, width - 2 * kMargin);
    const int lists = std::max(0, height - 4 * kMargin - 2 * kLabelHeight - kButtonHeight);
    const int logHeight = lists * 3 / 5, matchesHeight = lists - logHeight;
    int y = kMargin;
    ::MoveWindow(Control(kLogLabelId), kMargin, y, inner, kLabelHeight, TRUE);
    y += kLabelHeight;
    ::MoveWindow(Control(kLogListId), kMargin, y, inner, logHeight, TRUE);
    y += logHeight + kMargin;
    ::MoveWindow(Control(kMatchesLabelId), kMargin, y, inner, kLabelHeight, TRUE);
    y += kLabelHeight;
    ::MoveWindow(Control(kMatchesListId), kMargin, y, inner, matchesHeight, TRUE);
    y += matchesHeight + kMargin;
    ::MoveWindow(Control(kSendChosenId), kMargin, y, kButtonWidth, kButtonHeight, TRUE);
    ::MoveWindow(Control(kStatusId), 2 * kMargin + kButtonWidth, y + 5, std::max(0, inner - kButtonWidth - kMargin),
                 kLabelHeight, TRUE);
}

void ServerWindow::OnRequest(WPARAM code, LPARAM client) {
    const uint32_t clientWindow = static_cast<uint32_t>(client);
    Log(Now() + L"  Запрос от окна " + std::to_wstring(clientWindow) + L" (wParam " +
        std::to_wstring(static_cast<uint32_t>(code)) + L")");
    // Pages another program reserved but never committed count as missing: reading
    // them would be an access violation.
    const CustomPipes::BlockText reading = CustomPipes::ReadBlockText(
        CustomPipes::RequestBlockName(clientWindow), CustomPipes::kRequestBlockSize, CustomPipes::ShortBlock::Refuse);
    if (!reading.text) {
        Log(L"    не прочитан: " + reading.problem + L". Ответа нет.");
        return;
    }
    RequestOutcome outcome = HandleRequest(*reading.text);
    // Published before anything is logged: the client waits for the answer.
    if (outcome.refusal.empty() && !outcome.waitsForChoice) answers_.Publish(outcome.answer.text, code, client);
    LogOutcome(*reading.text, outcome);
    if (outcome.waitsForChoice) ShowMatches(outcome.search, std::move(outcome.matches), code, client);
}

void ServerWindow::LogOutcome(std::wstring_view requestText, const RequestOutcome& outcome) {
    // Decoded only now: the client waits for the answer, not for the log.
    LogLines(L"    > ", CustomPipes::wire::DecodeLines(requestText), kMaxRequestLines);
    const Search& search = outcome.search;
    if (!outcome.refusal.empty()) {
        Log(L"    отклонён: " + outcome.refusal + L". Ответа нет.");
    } else if (search.requested != search.kind) {
        Log(L"    в запросе выбран поиск «" + std::wstring(SearchKindWord(search.requested)) +
            L"» без условий; вместо него " + SearchCaption(search) + L".");
    }
    if (outcome.waitsForChoice) {
        Log(L"    " + SearchCaption(search) + L"; найдено " + std::to_wstring(outcome.matches.size()) +
            L". Ответ будет отправлен, когда орган будет выбран в окне.");
    } else if (outcome.refusal.empty()) {
        LogAnswer(search, outcome.matches.size(), outcome.answer);
    }
}

void ServerWindow::OnCommand(int id, int notification) {
    const bool send = (id == kSendChosenId && notification == BN_CLICKED) ||
                      (id == kMatchesListId && notification == LBN_DBLCLK);
    if (send) Guarded(L"Отправка выбранного", [&] { OnSendChosen(); });
}

void ServerWindow::OnSendChosen() {
    const LRESULT chosen = ::SendMessageW(Control(kMatchesListId), LB_GETCURSEL, 0, 0);
    if (chosen == LB_ERR || static_cast<size_t>(chosen) >= pending_.matches.size()) {
        Log(Now() + L"  Ничего не выбрано: ответ не отправлен.");
        return;
    }
    const Match match = pending_.matches[static_cast<size_t>(chosen)];
    Answer(pending_.search, AnswerMode::Chosen, pending_.matches.size(), std::span(&match, 1), pending_.code,
           pending_.client);
}

LRESULT ServerWindow::OnCopyData(const COPYDATASTRUCT& data) {
    if (data.dwData != kHandOverArguments) return FALSE;
    const std::wstring arguments = data.lpData ? std::wstring(static_cast<const wchar_t*>(data.lpData),
                                                              data.cbData / sizeof(wchar_t))
                                               : std::wstring();
    Guarded(L"Повторный запуск", [&] { ActOnArguments(arguments, true); });
    if (::IsIconic(window_)) ::ShowWindow(window_, SW_RESTORE);
    ::SetForegroundWindow(window_);
    return TRUE;
}

void ServerWindow::ActOnArguments(std::wstring_view arguments, bool handedOver) {
    const LaunchRequest launch = ParseArguments(arguments);
    if (handedOver) Log(Now() + L"  Повторный запуск передал аргументы: «" + std::wstring(arguments) + L"»");
    if (!launch.unrecognised.empty()) {
        Log(L"    непонятные аргументы: «" + launch.unrecognised + L"»; ожидались -a:, -i: или -f: со значением.");
    }
    if (!launch.search) return;
    const Search search = SearchForSwitch(*launch.search);
    std::vector<Match> matches = FindBodies(search, SampleDirectory());
    Log(Now() + L"  Ключ -" + std::wstring(1, static_cast<wchar_t>(launch.search->which)) + L": " + SearchCaption(search) + L"; найдено " +
        std::to_wstring(matches.size()) + L".");
    ShowMatches(search, std::move(matches), 0, 0);
}

void ServerWindow::Answer(const Search& search, AnswerMode mode, size_t found, std::span<const Match> sent, WPARAM code,
                          LPARAM client) {
    const WrittenAnswer answer = WriteAnswer(search, mode, found, sent);
    answers_.Publish(answer.text, code, client);
    LogAnswer(search, found, answer);
}

void ServerWindow::LogAnswer(const Search& search, size_t found, const WrittenAnswer& answer) {
    std::wstring summary = Now() + L"  Ответ отправлен (" + SearchCaption(search) + L"): органов в ответе " +
                           std::to_wstring(answer.bodiesWritten) + L" из найденных " + std::to_wstring(found) + L", " +
                           std::to_wstring(answer.text.size() - 1) + L" символов";
    if (answer.truncated) summary += L", ответ обрезан по размеру блока";
    Log(summary);
    LogLines(L"    < ", CustomPipes::wire::DecodeLines(std::wstring_view(answer.text).substr(0, answer.text.size() - 1)),
             kMaxAnswerLines);
}

void ServerWindow::ShowMatches(const Search& search, std::vector<Match> matches, WPARAM code, LPARAM client) {
    HWND list = Control(kMatchesListId);
    ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const Match& match : matches) {
        const std::wstring caption = display::SafeForDisplay(MatchCaption(match));
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(caption.c_str()));
    }
    if (!matches.empty()) ::SendMessageW(list, LB_SETCURSEL, 0, 0);
    ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list, nullptr, TRUE);
    const std::wstring status = matches.empty()
                                    ? L"Ничего не найдено (" + SearchCaption(search) + L")."
                                    : L"Выберите орган и нажмите «Отправить выбранное» (" + SearchCaption(search) + L").";
    ::SetWindowTextW(Control(kStatusId), display::SafeForDisplay(status).c_str());
    pending_ = {search, std::move(matches), code, client};
}

void ServerWindow::Log(std::wstring_view line) {
    if (unwrittenLog_.empty()) ::PostMessageW(window_, kWriteLogMessage, 0, 0);
    unwrittenLog_.emplace_back(line);
}

void ServerWindow::LogLines(std::wstring_view indent, const std::vector<std::wstring>& lines, size_t maxLines) {
    for (size_t i = 0; i < lines.size() && i < maxLines; ++i) Log(std::wstring(indent) + lines[i]);
    if (lines.size() > maxLines) Log(std::wstring(indent) + L"… ещё строк: " + std::to_wstring(lines.size() - maxLines));
}

void ServerWindow::WriteLog() {
    // Drawn and scrolled once for all waiting lines: doing it after every line made each
    // answer take a noticeable fraction of a second under Wine.
    const HWND log = Control(kLogListId);
    std::vector<std::wstring> lines = std::move(unwrittenLog_);
    unwrittenLog_.clear();
    if (!log) return;
    ::SendMessageW(log, WM_SETREDRAW, FALSE, 0);
    for (const std::wstring& line : lines) {
        if (::SendMessageW(log, LB_GETCOUNT, 0, 0) >= kMaxLogLines) ::SendMessageW(log, LB_DELETESTRING, 0, 0);
        ::SendMessageW(log, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(display::SafeForDisplay(line).c_str()));
    }
    const LRESULT count = ::SendMessageW(log, LB_GETCOUNT, 0, 0);
    if (count > 0) ::SendMessageW(log, LB_SETTOPINDEX, static_cast<WPARAM>(count - 1), 0);
    ::SendMessageW(log, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(log, nullptr, TRUE);
}

}  // namespace sample_server
