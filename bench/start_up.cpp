#include "start_up.h"

#include "processes.h"
#include "program_error.h"
#include "timing.h"

namespace bench {

namespace {

constexpr const wchar_t* kDemoClass = L"TfrmMain";
constexpr const wchar_t* kEmptyWindowClass = L"BenchEmptyWindow";

// Microseconds from CreateProcess to a visible main window in a program that waits for
// input; the program is closed afterwards, outside the figure.
double TimeStart(const std::wstring& path, const wchar_t* windowClass) {
    const long long start = Now();
    ChildProcess program = StartProgram(path);
    WaitUntilIdleAndVisible(program, windowClass);
    const double time = MicrosecondsSince(start);
    program.Stop();
    return time;
}

}  // namespace

void RunStartUpFigure(const std::wstring& demoPath, const std::wstring& emptyWindowPath) {
    constexpr int kWarmUps = 2, kRepetitions = 41;
    const Comparison c = CompareWithFloor([&] { return TimeStart(demoPath, kDemoClass); },
                                          [&] { return TimeStart(emptyWindowPath, kEmptyWindowClass); }, kWarmUps,
                                          kRepetitions);
    PrintFigure("Start-up: process start to the main window visible and idle", "one empty window", c, kRepetitions,
                1.5);
}

int WaitForIdleWindow(const std::wstring& windowClass) {
    const ULONGLONG deadline = ::GetTickCount64() + 30000;
    for (;;) {
        if (HWND window = ::FindWindowW(windowClass.c_str(), nullptr); window && ::IsWindowVisible(window)) {
            DWORD processId = 0;
            ::GetWindowThreadProcessId(window, &processId);
            const UniqueHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId));
            if (process && ::WaitForInputIdle(process.get(), 30000) == 0) return 0;
        }
        if (::GetTickCount64() > deadline) throw ProgramError(L"No idle window of class " + windowClass);
        ::Sleep(10);
    }
}

int CloseWindows(const std::wstring& windowClass) {
    while (HWND window = ::FindWindowW(windowClass.c_str(), nullptr)) {
        ::SendMessageW(window, WM_CLOSE, 0, 0);
        if (::FindWindowW(windowClass.c_str(), nullptr) == window) ::Sleep(50);
    }
    return 0;
}

}  // namespace bench
