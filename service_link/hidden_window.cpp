#include "hidden_window.h"

#include "program_error.h"
#include "system_error.h"
#include "window_class.h"

#include <string>

namespace CustomPipes {

LRESULT CALLBACK QuitOnCloseWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

HINSTANCE ThisModule() noexcept {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         reinterpret_cast<const wchar_t*>(&ThisModule), &module);
    return module;
}

HWND CreateHiddenTopLevelWindow(const wchar_t* className, WNDPROC windowProc) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = ThisModule();
    windowClass.lpszClassName = className;
    RegisterWindowClass(windowClass);
    // Never shown: WS_VISIBLE is not given and ShowWindow is never called.
    const HWND window = ::CreateWindowExW(0, className, className, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr,
                                          windowClass.hInstance, nullptr);
    if (!window) {
        const DWORD error = ::GetLastError();
        // Under Wine a window needs an X display, and the call may fail without a reason.
        throw ProgramError(SystemErrorText(error ? L"The program's hidden window could not be created"
                                                 : L"The program's hidden window could not be created (is there a "
                                                   L"desktop to create it on?)",
                                           error));
    }
    return window;
}

}  // namespace CustomPipes
