#include "processes.h"

#include "program_error.h"

#include <algorithm>
#include <utility>

namespace bench {

Program Program::Start(const std::wstring& path, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + path + L"\"" + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &info)) {
        throw ProgramError(L"Could not start " + commandLine + L" (error " + std::to_wstring(::GetLastError()) + L")");
    }
    ::CloseHandle(info.hThread);
    Program program;
    program.process_.reset(info.hProcess);
    program.processId_ = info.dwProcessId;
    return program;
}

bool Program::IsRunning() const { return process_ && ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

HWND Program::VisibleWindow(const wchar_t* windowClass) const {
    for (HWND window = ::FindWindowExW(nullptr, nullptr, windowClass, nullptr); window;
         window = ::FindWindowExW(nullptr, window, windowClass, nullptr)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(window, &owner);
        if (owner == processId_ && ::IsWindowVisible(window)) return window;
    }
    return nullptr;
}

HWND Program::WaitUntilIdleAndVisible(const wchar_t* windowClass, DWORD timeoutMs) const {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    // Input-idle: the program has come to wait in its message loop for the first time.
    if (::WaitForInputIdle(process_.get(), timeoutMs) != 0) {
        throw ProgramError(L"The program did not come to wait for input");
    }
    for (;;) {
        if (HWND window = VisibleWindow(windowClass)) return window;
        if (!IsRunning()) throw ProgramError(L"The program ended before its window was shown");
        if (::GetTickCount64() > deadline) throw ProgramError(L"No visible window of class " + std::wstring(windowClass));
        ::Sleep(0);
    }
}

void Program::Stop() {
    if (!process_) return;
    if (IsRunning()) ::TerminateProcess(process_.get(), 0);
    ::WaitForSingleObject(process_.get(), 10000);
    process_.reset();
}

HWND FindDescendant(HWND parent, int id) {
    std::pair<int, HWND> search{id, nullptr};
    ::EnumChildWindows(
        parent,
        [](HWND child, LPARAM data) -> BOOL {
            auto& s = *reinterpret_cast<std::pair<int, HWND>*>(data);
            if (::GetDlgCtrlID(child) != s.first) return TRUE;
            s.second = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

std::wstring WindowsPath(std::wstring path) {
    if (path.empty() || path.front() != L'/') return path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return L"Z:" + path;
}

}  // namespace bench
