// demo_driver [--desktop NAME] wait|page N|search [FIELD=VALUE...]|server-front|close:
// drives a running varnel-demo.exe for scripts/screenshot and scripts/run.
//   --desktop NAME  the program runs in that desktop (a Wine virtual desktop): windows
//                   are only found within one's own desktop
//   wait            waits up to 30 s for the window of class "TfrmMain"
//   page N          selects page N (0 to 3) as a click on its tab does
//   search ...      fills page 1 (by=address|name|surname|code, name=, code=, subject=,
//                   district=, city=, settlement=, street=, index=, defendant=1), presses
//                   "Отправить запрос в Varnel" and prints the answer that page 2 then
//                   shows, as UTF-8; exit code 1 when none came within 30 s or the
//                   error display opened
//   server-front    brings the sample server's window to the front
//   close           closes the window
#include "gui_driver.h"
#include "protocol.h"

#include <cstdio>
#include <cwchar>
#include <map>
#include <string>

namespace {

void PrintUtf8(HANDLE stream, const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
    DWORD written = 0;
    ::WriteFile(stream, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void Press(HWND window, int id) { ::SendMessageW(gui::FindControl(window, id), BM_CLICK, 0, 0); }

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
            gui::SetText(gui::FindControl(window, edit->second), value);
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
    const HWND memo = gui::FindControl(window, ControlId::Memo1);
    const std::wstring before = gui::TextOf(memo);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    gui::Click(gui::FindControl(window, ControlId::Button1));

    HWND box = nullptr;
    std::wstring answer;
    gui::WaitUntil([&] {
        const auto boxes = gui::TopLevelWindows(processId, L"#32770", gui::kTitle);
        box = boxes.empty() ? nullptr : boxes.front();
        answer = gui::TextOf(memo);
        return box || (!answer.empty() && answer != before);
    }, 30000);
    if (box) {
        PrintUtf8(::GetStdHandle(STD_ERROR_HANDLE), L"demo_driver: the error display says: " + gui::MessageBoxText(box) + L"\n");
        gui::CloseMessageBox(box);
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
        gui::WaitUntil([&] { return (desktop = ::OpenDesktopW(argv[2], 0, FALSE, GENERIC_ALL)) != nullptr; }, 30000);
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
    const bool found = gui::WaitUntil([&] { return (window = ::FindWindowW(L"TfrmMain", nullptr)) != nullptr; },
                                      command == L"wait" ? 30000 : 2000);
    if (!found) {
        std::fputs("demo_driver: no TfrmMain window\n", stderr);
        return 1;
    }
    if (command == L"page" && argc > 2) {
        ::SendMessageW(gui::FindControl(window, ControlId::PageControl1), TCM_SETCURFOCUS, std::wcstoul(argv[2], nullptr, 10), 0);
    } else if (command == L"search") {
        return Search(window, argc - 2, argv + 2);
    } else if (command == L"server-front") {
        const HWND server = ::FindWindowW(CustomPipes::kVarnelWindowClass, nullptr);
        if (!server) return 1;
        ::ShowWindow(server, SW_SHOWNORMAL);
        ::SetWindowPos(server, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        ::SetForegroundWindow(server);
    } else if (command == L"close") {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return 0;
}
