#include "hidden_window.h"

#include "program_error.h"

#include <string>

namespace tools {

LRESULT CALLBACK QuitOnCloseWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateHiddenTopLevelWindow(const wchar_t* className, WNDPROC windowProc) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    // A second window of the class finds it registered already.
    if (!::RegisterClassW(&windowClass)) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_CLASS_ALREADY_EXISTS) {
            throw ProgramError(L"The window class could not be registered (system error " + std::to_wstring(error) +
                               L")");
        }
    }
    // Never shown: WS_VISIBLE is not given and ShowWindow is never called.
    const HWND window = ::CreateWindowExW(0, className, className, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                          windowClass.hInstance, nullptr);
    if (!window) {
        const DWORD error = ::GetLastError();
        throw ProgramError(L"The program's window could not be created (system error " + std::to_wstring(error) + L")");
    }
    return window;
}

}  // namespace tools
