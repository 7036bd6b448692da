#include "start_up.h"

#include "processes.h"
#include "program_error.h"
#include "timing.h"

#include <vector>

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

// The moments of one start seen from outside, in microseconds from CreateProcess.
struct StartMoments {
    double windowCreated = 0;  // the main window exists: its WM_CREATE is under way
    double windowSized = 0;    // it took its designed size, once its controls were made
    double visible = 0;
    double idle = 0;  // waiting for input, the first paint done
};

// Polls the program's main window once a millisecond or so: light enough to leave the
// processor to the program, close enough for parts of some milliseconds.
StartMoments WatchStart(const std::wstring& path, const wchar_t* windowClass) {
    StartMoments moments;
    const long long start = Now();
    ChildProcess program = StartProgram(path);
    const auto until = [&](auto&& condition) {
        const ULONGLONG deadline = ::GetTickCount64() + 30000;
        while (!condition()) {
            if (::GetTickCount64() > deadline || !program.IsRunning()) {
                throw CustomPipes::ProgramError(L"The start of " + path + L" could not be followed");
            }
            ::Sleep(1);
        }
        return MicrosecondsSince(start);
    };
    HWND window = nullptr;
    moments.windowCreated = until([&] { return (window = program.WindowOfClass(windowClass)) != nullptr; });
    RECT first{};
    ::GetWindowRect(window, &first);
    const auto sized = [&] {
        RECT now{};
        ::GetWindowRect(window, &now);
        return !::EqualRect(&now, &first) || ::IsWindowVisible(window);
    };
    moments.windowSized = until(sized);
    moments.visible = until([&] { return ::IsWindowVisible(window) != FALSE; });
    moments.idle = until([&] { return ::WaitForInputIdle(program.Process(), 0) == 0; });
    program.Stop();
    return moments;
}

}  // namespace

void RunStartUpFigure(const std::wstring& demoPath, const std::wstring& emptyWindowPath) {
    constexpr int kWarmUps = 2, kRepetitions = 41;
    const Comparison c = CompareWithFloor([&] { return TimeStart(demoPath, kDemoClass); },
                                          [&] { return TimeStart(emptyWindowPath, kEmptyWindowClass); }, kWarmUps,
                                          kRepetitions);
    PrintFigure("Start-up: process start to the main window visible and idle", "one empty window", c, kRepetitions,
                1.5);

    // Where the time goes: the same starts followed from outside, each part against
    // the empty window's own part where it has one.
    constexpr int kWatched = 21;
    std::vector<StartMoments> demo, empty;
    for (int i = 0; i < kWatched; ++i) {
        demo.push_back(WatchStart(demoPath, kDemoClass));
        empty.push_back(WatchStart(emptyWindowPath, kEmptyWindowClass));
    }
    const auto median = [](const std::vector<StartMoments>& starts, auto part) {
        std::vector<double> samples;
        for (const StartMoments& m : starts) samples.push_back(part(m));
        return Median(samples);
    };
    const auto toCreated = [](const StartMoments& m) { return m.windowCreated; };
    const auto createdToVisible = [](const StartMoments& m) { return m.visible - m.windowCreated; };
    const auto toIdle = [](const StartMoments& m) { return m.idle - m.visible; };
    const auto whole = [](const StartMoments& m) { return m.idle; };
    PrintFigure("- followed from outside, polling each millisecond: process start to idle", "one empty window",
                {median(demo, whole), median(empty, whole)}, kWatched, 0);
    PrintFigure("- of which: process start to the main window created (loading, start-up code)",
                "one empty window, the same", {median(demo, toCreated), median(empty, toCreated)}, kWatched, 0);
    PrintFigure("- of which: main window created to its designed size (controls and fonts made)",
                "one empty window, created to visible",
                {median(demo, [](const StartMoments& m) { return m.windowSized - m.windowCreated; }),
                 median(empty, createdToVisible)},
                kWatched, 0);
    PrintFigure("- of which: designed size to visible (layout, request block, showing)", "one empty window, created to visible",
                {median(demo, [](const StartMoments& m) { return m.visible - m.windowSized; }),
                 median(empty, createdToVisible)},
                kWatched, 0);
    PrintFigure("- of which: visible to waiting for input (first paint)", "one empty window, the same",
                {median(demo, toIdle), median(empty, toIdle)}, kWatched, 0);
}

int WaitForIdleWindow(const std::wstring& windowClass) {
    const ULONGLONG deadline = ::GetTickCount64() + 30000;
    for (;;) {
        if (HWND window = ::FindWindowW(windowClass.c_str(), nullptr); window && ::IsWindowVisible(window)) {
            DWORD processId = 0;
            ::GetWindowThreadProcessId(window, &processId);
            const CustomPipes::UniqueHandle process(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId));
            if (process && ::WaitForInputIdle(process.get(), 30000) == 0) return 0;
        }
        if (::GetTickCount64() > deadline) throw CustomPipes::ProgramError(L"No idle window of class " + windowClass);
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
