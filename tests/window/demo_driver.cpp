// demo_driver [--desktop NAME] wait|page N|close: drives a running varnel-demo.exe for
// scripts/screenshot.
//   --desktop NAME  the program runs in that desktop (a Wine virtual desktop): windows
//                   are only found within one's own desktop
//   wait            waits up to 30 s for the window of class "TfrmMain"
//   page N          selects page N (0 to 3) as a click on its tab does
//   close           closes the window
#include "gui_driver.h"

#include <cstdio>
#include <cwchar>
#include <string>

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
        std::fputs("usage: demo_driver [--desktop NAME] wait|page N|close\n", stderr);
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
