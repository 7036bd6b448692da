// demo_driver [--desktop NAME] wait|page N|search [FIELD=VALUE...]|server-front|close:
// drives a running varnel-demo.exe for scripts/screenshot and scripts/run.
//   --desktop NAME  the program runs in that desktop (a Wine virtual desktop): windows
//                   are only found within one's own desktop
//   wait            waits up to 30 s for the window of class "TfrmMain"
//   page N          brings the window to the front and selects page N (0 to 3) as a
//                   click on its tab does; exit code 3 when another window still covers it
//   search ...      fills page 1 (by=address|name|surname|code, name=, code=, subject=,
//                   district=, city=, settlement=, street=, index=, defendant=1), presses
//                   "Отправить запрос в Varnel" and prints the answer that page 2 then
//                   shows, as UTF-8; exit code 1 when none came within 30 s or the
//                   error display opened
//   server-front    brings the sample server's window to the front; exit code 3 when
//                   another window still covers it
//   close           closes the window
#include "window_driving.h"
#include "protocol.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <map>
#include <string>

using namespace window_driving;

namespace {

void PrintUtf8(HANDLE stream, const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(stream, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

// True when the window is what shows at its centre and near its four corners: a picture
// of the screen then shows it and not another window over it.
bool IsInFront(HWND window) {
    RECT rect{};
    if (!::GetWindowRect(window, &rect)) return false;
    const LONG right = std::min<LONG>(rect.right, ::GetSystemMetrics(SM_CXSCREEN)) - 20;
    const LONG bottom = std::min<LONG>(rect.bottom, ::GetSystemMetrics(SM_CYSCREEN)) - 20;
    const LONG left = std::max<LONG>(rect.left, 0) + 20, top = std::max<LONG>(rect.top, 0) + 40;
    for (const POINT point : {POINT{(left + right) / 2, (top + bottom) / 2}, POINT{left, top}, POINT{right, top},
                              POINT{left, bottom}, POINT{right, bottom}}) {
        if (::GetAncestor(::WindowFromPoint(point), GA_ROOT) != window) return false;
    }
    return true;
}

// Brings a top-level window to the front and waits until nothing covers it.
int BringToFront(HWND window, const wchar_t* what) {
    ::ShowWindow(window, SW_SHOWNORMAL);
    ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(window);
    if (WaitUntil([&] { return IsInFront(window); }, 5000)) return 0;
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const HWND cover = ::GetAncestor(::WindowFromPoint({(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}), GA_ROOT);
    std::fprintf(stderr, "demo_driver: %ls is not in front: a window of class %ls covers it\n", what,
                 cover ? ClassOf(cover).c_str() : L"(none)");
    return 3;
}

void Press(HWND window, int id) { ::SendMessageW(FindControl(window, id), BM_CLICK, 0, 0); }

// Fills page 1 as a person would, presses the send button and waits for the answer.
int Search(HWND window, int argc, wchar_t** argv) {
    static const std::map<std::wstring, int> kEdits = {
        {L"subject", ControlId::Edit1}, {L"district", ControlId::Edit2}, {L"city", ControlId::Edit3},
        {L"settlement", ControlId::Edit4}, {L"street", ControlId::Edit5}, {L"index", ControlId::Edit6},
        {L"code", ControlId::Edit7}, {L"name", ControlId::Edit8},
    };
    for (int i = 0; i < argc; ++i) {
        const std::wstring argument = argv[i];
        const size_t eq = argument.find(L'=');
        const std::wstring key = argument.substr(0, eq), value = eq == std::wstring::npos ? L"" : argument.substr(eq + 1);
        if (const auto edit = kEdits.find(key); edit != kEdits.end()) {
            SetText(FindControl(window, edit->second), value);
        } else if (key == L"by" && value == L"address") {
            Press(window, ControlId::RadioButton4);
        } else if (key == L"by" && (value == L"name" || value == L"surname")) {
            Press(window, ControlId::RadioButton5);
            Press(window, ControlId::RadioGroupItem(ControlId::RadioGroup3, value == L"surname" ? 1 : 0));
        } else if (key == L"by" && value == L"code") {
            Press(window, ControlId::RadioButton6);
        } else if (key == L"defendant") {
            Press(window, ControlId::RadioGroupItem(ControlId::RadioGroup2, 1));
        } else {
            std::fprintf(stderr, "demo_driver: unknown search field %ls\n", argument.c_str());
            return 2;
        }
    }
    const HWND memo = FindControl(window, ControlId::Memo1);
    const std::wstring before = TextOf(memo);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    Click(FindControl(window, ControlId::Button1));

    HWND box = nullptr;
    std::wstring answer;
    WaitUntil([&] {
        const auto boxes = TopLevelWindows(processId, L"#32770", kTitle);
        box = boxes.empty() ? nullptr : boxes.front();
        answer = TextOf(memo);
        return box || (!answer.empty() && answer != before);
    }, 30000);
    if (box) {
        PrintUtf8(::GetStdHandle(STD_ERROR_HANDLE), L"demo_driver: the error display says: " + MessageBoxText(box) + L"\n");
        CloseMessageBox(box);
        return 1;
    }
    if (answer.empty() || answer == before) return 1;
    PrintUtf8(::GetStdHandle(STD_OUTPUT_HANDLE), answer + L"\r\n");
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 2 && std::wstring(argv[1]) == L"--desktop") {
        // The desktop appears only once its explorer has started.
        HDESK desktop = nullptr;
        WaitUntil([&] { return (desktop = ::OpenDesktopW(argv[2], 0, FALSE, GENERIC_ALL)) != nullptr; }, 30000);
        if (!desktop || !::SetThreadDesktop(desktop)) {
            std::fprintf(stderr, "demo_driver: cannot enter desktop %ls (%p, error %lu)\n", argv[2], static_cast<void*>(desktop), ::GetLastError());
            return 1;
        }
        argc -= 2;
        argv += 2;
    }
    if (argc < 2) {
        std::fputs("usage: demo_driver [--desktop NAME] wait|page N|search [FIELD=VALUE...]|server-front|close\n", stderr);
        return 2;
    }
    const std::wstring command = argv[1];
    HWND window = nullptr;
    const bool found = WaitUntil([&] { return (window = ::FindWindowW(L"TfrmMain", nullptr)) != nullptr; },
                                 command == L"wait" ? 30000 : 2000);
    if (!found) {
        std::fputs("demo_driver: no TfrmMain window\n", stderr);
        return 1;
    }
    if (command == L"page" && argc > 2) {
        ::SendMessageW(FindControl(window, ControlId::PageControl1), TCM_SETCURFOCUS, std::wcstoul(argv[2], nullptr, 10), 0);
        return BringToFront(window, L"the demo's window");
    } else if (command == L"search") {
        return Search(window, argc - 2, argv + 2);
    } else if (command == L"server-front") {
        const HWND server = ::FindWindowW(CustomPipes::kVarnelWindowClass, nullptr);
        if (!server) return 1;
        return BringToFront(server, L"the sample server's window");
    } else if (command == L"close") {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return 0;
}
