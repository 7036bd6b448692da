// demo_driver wait|page N|close: drives a running varnel-demo.exe for scripts/screenshot.
//   wait    waits up to 30 s for the window of class "TfrmMain"
//   page N  selects page N (0 to 3) as a click on its tab does
//   close   closes the window
#include "gui_driver.h"

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fputs("usage: demo_driver wait|page N|close\n", stderr);
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
    } else if (command == L"close") {
        ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    return 0;
}
