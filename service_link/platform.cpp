#include "platform.h"

#include "handles.h"
#include "win32.h"

namespace CustomPipes {

bool RunsUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool RunsElevated() {
    wchar_t treated[2];
    if (::GetEnvironmentVariableW(L"VARNEL_TREAT_AS_ELEVATED", treated, 2) > 0) return true;
    if (RunsUnderWine()) return false;
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    const UniqueHandle owned(token);
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return ::GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

}  // namespace CustomPipes
