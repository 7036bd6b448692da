#include "processes.h"

#include "program_error.h"

namespace bench {

ChildProcess StartProgram(const std::wstring& path, const std::wstring& arguments) {
    ChildProcess program = ChildProcess::StartExecutable(path, arguments);
    if (!program) {
        const DWORD error = ::GetLastError();
        throw CustomPipes::ProgramError(L"Could not start \"" + path + L"\"" + arguments + L" (error " + std::to_wstring(error) + L")");
    }
    return program;
}

HWND WaitUntilIdleAndVisible(const ChildProcess& program, const wchar_t* windowClass, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    // Input-idle: the program has come to wait in its message loop for the first time.
    if (::WaitForInputIdle(program.Process(), timeoutMs) != 0) {
        throw CustomPipes::ProgramError(L"The program did not come to wait for input");
    }
    for (;;) {
        if (HWND window = program.WindowOfClass(windowClass); window && ::IsWindowVisible(window)) return window;
        if (!program.IsRunning()) throw CustomPipes::ProgramError(L"The program ended before its window was shown");
        if (::GetTickCount64() > deadline) throw CustomPipes::ProgramError(L"No visible window of class " + std::wstring(windowClass));
        ::Sleep(0);
    }
}

}  // namespace bench
