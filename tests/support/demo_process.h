// The demonstration program as the tests drive it from outside its process: start
// varnel-demo.exe, find its window, drive it (window_driving.h), read what it shows,
// close it and collect the exit code.
#pragma once

#include "child_process.h"
#include "paths.h"
#include "window_driving.h"

#include <string>
#include <vector>

namespace window_driving {

#ifdef VARNEL_DEMO_EXE
inline std::wstring DemoPath() { return WindowsPath(VARNEL_DEMO_EXE); }
#endif

// A running varnel-demo.exe and its main window.
class DemoProcess {
public:
    // Starts the program and waits for its main window (class "TfrmMain") to show.
    // showCommand: the show command the program is started with.
    explicit DemoProcess(const std::wstring& exePath, WORD showCommand = SW_SHOWNORMAL) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = showCommand;
        process_ = ChildProcess::StartExecutable(WindowsPath(exePath), {}, &startup);
        if (!process_) return;
        WaitUntil([&] {
            const auto windows = TopLevelWindows(Id(), L"TfrmMain");
            if (!windows.empty()) mainWindow_ = windows.front();
            return mainWindow_ != nullptr;
        }, 30000);
        if (mainWindow_) ::WaitForInputIdle(Process(), 10000);
    }
    // Closed as the user closes it first; the process owner ends it when that fails.
    ~DemoProcess() {
        if (process_.IsRunning()) {
            ::PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
            process_.WaitForExit(5000);
        }
    }
    DemoProcess(const DemoProcess&) = delete;
    DemoProcess& operator=(const DemoProcess&) = delete;

    HANDLE Process() const { return process_.Process(); }
    DWORD Id() const { return process_.Id(); }
    DWORD ThreadId() const { return process_.ThreadId(); }
    HWND MainWindow() const { return mainWindow_; }
    HWND Control(int id) const { return FindControl(mainWindow_, id); }

    // The window that has the keyboard focus in the program's user-interface thread.
    HWND Focus() const {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        return ::GetGUIThreadInfo(ThreadId(), &info) ? info.hwndFocus : nullptr;
    }

    // Selects a page as a click on its tab does.
    void SelectPage(int index) const {
        ::SendMessageW(Control(ControlId::PageControl1), TCM_SETCURFOCUS, static_cast<WPARAM>(index), 0);
    }

    // Returns once the program has taken every message posted to it before the call
    // from its queue: a selection change posted behind them to Edit12, which nothing
    // reads, shows when they are through.
    bool Flush() const {
        const HWND marker = Control(ControlId::Edit12);
        const auto length = static_cast<int>(::SendMessageW(marker, WM_GETTEXTLENGTH, 0, 0));
        const auto start = static_cast<int>(LOWORD(::SendMessageW(marker, EM_GETSEL, 0, 0)));
        const int position = start == length ? 0 : length;
        ::PostMessageW(marker, EM_SETSEL, static_cast<WPARAM>(position), position);
        return WaitUntil([&] {
            return static_cast<int>(LOWORD(::SendMessageW(marker, EM_GETSEL, 0, 0))) == position;
        });
    }

    // The error display: a message box of the program with the given caption.
    HWND WaitForMessageBox(const wchar_t* caption, DWORD timeoutMs = 10000) const {
        HWND box = nullptr;
        WaitUntil([&] {
            const auto boxes = TopLevelWindows(Id(), L"#32770", caption);
            box = boxes.empty() ? nullptr : boxes.front();
            return box != nullptr;
        }, timeoutMs);
        return box;
    }
    bool HasMessageBox(const wchar_t* caption) const { return !TopLevelWindows(Id(), L"#32770", caption).empty(); }

    // Closes the window as the user does and returns the exit code; ~0u if the program
    // did not end within timeoutMs.
    DWORD CloseAndWait(DWORD timeoutMs = 10000) {
        ::PostMessageW(mainWindow_, WM_CLOSE, 0, 0);
        return process_.WaitForExit(timeoutMs);
    }

private:
    ChildProcess process_;
    HWND mainWindow_{};
};

inline std::wstring Memo1Text(const DemoProcess& demo) { return TextOf(demo.Control(ControlId::Memo1)); }

inline bool MemoHolds(const DemoProcess& demo, const std::wstring& piece) {
    return Memo1Text(demo).find(piece) != std::wstring::npos;
}

// The lines of Memo1 as the page shows them.
inline std::vector<std::wstring> MemoLines(const DemoProcess& demo) {
    std::vector<std::wstring> lines;
    const std::wstring text = Memo1Text(demo);
    size_t start = 0;
    for (size_t end; (end = text.find(L"\r\n", start)) != std::wstring::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

// True while the demo's thread answers a sent message within timeoutMs.
inline bool Responds(const DemoProcess& demo, UINT timeoutMs = 5000) {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(demo.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

inline bool HasEnded(const DemoProcess& demo) { return ::WaitForSingleObject(demo.Process(), 0) == WAIT_OBJECT_0; }

}  // namespace window_driving
