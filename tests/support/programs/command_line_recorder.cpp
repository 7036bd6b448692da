// A stand-in for Varnel's executable in the tests: it writes the command line it was
// started with to "<its own path>.cmdline" (UTF-16), and when "<its own path>.stay"
// exists it keeps running for ten seconds, like a server that does not exit.
#include "handles.h"

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t self[32768];
    const DWORD n = ::GetModuleFileNameW(nullptr, self, 32768);
    const std::wstring path(self, n);

    const wchar_t* commandLine = ::GetCommandLineW();
    if (const CustomPipes::UniqueHandle file = CustomPipes::AdoptFileHandle(::CreateFileW((path + L".cmdline").c_str(), GENERIC_WRITE, 0, nullptr,
                                                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr))) {
        DWORD written = 0;
        ::WriteFile(file.get(), commandLine, static_cast<DWORD>(std::wstring(commandLine).size() * sizeof(wchar_t)),
                    &written, nullptr);
    }
    if (::GetFileAttributesW((path + L".stay").c_str()) != INVALID_FILE_ATTRIBUTES) ::Sleep(10000);
    return 0;
}
