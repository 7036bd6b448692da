#include "window_class.h"

#include "program_error.h"
#include "system_error.h"

#include <string>

namespace CustomPipes {

void RegisterWindowClass(const WNDCLASSEXW& windowClass) {
    if (::RegisterClassExW(&windowClass)) return;
    const DWORD error = ::GetLastError();
    if (error == ERROR_CLASS_ALREADY_EXISTS) return;
    throw ProgramError(
        SystemErrorText(L"The window class " + std::wstring(windowClass.lpszClassName) + L" could not be registered", error));
}

}  // namespace CustomPipes
