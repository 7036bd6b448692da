// Programs of the build started from a test or the bench, as a user or a peer starts
// them, and owned until they end.
#pragma once

#include "handles.h"
#include "process_start.h"

#include <string>
#include <string_view>
#include <utility>

// A started program. The owner ends it at once when it goes and waits until it is
// gone, so that what it holds (a mutex, a block) is released before the next test.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(ChildProcess&&) noexcept = default;
    ChildProcess& operator=(ChildProcess&& other) noexcept {
        if (this != &other) {
            Stop();
            process_ = std::move(other.process_);
        }
        return *this;
    }
    ~ChildProcess() { Stop(); }

    // Starts a whole command line as it stands: the system splits the program off by
    // its usual rules. Empty, with GetLastError telling why, when it could not start.
    static ChildProcess Start(std::wstring commandLine, const STARTUPINFOW* startup = nullptr,
                              bool inheritHandles = false) {
        ChildProcess child;
        child.process_ = CustomPipes::StartProcess(nullptr, std::move(commandLine), startup, inheritHandles);
        return child;
    }
    // Starts executable (quoted) followed by arguments, which begin with their own space.
    static ChildProcess StartExecutable(const std::wstring& executable, std::wstring_view arguments = {},
                                        const STARTUPINFOW* startup = nullptr) {
        return Start(L"\"" + executable + L"\"" + std::wstring(arguments), startup);
    }

    explicit operator bool() const { return static_cast<bool>(process_); }
    HANDLE Process() const { return process_.Get().hProcess; }
    DWORD Id() const { return process_.Get().dwProcessId; }
    DWORD ThreadId() const { return process_.Get().dwThreadId; }
    bool IsRunning() const { return process_ && ::WaitForSingleObject(Process(), 0) == WAIT_TIMEOUT; }

    // Waits up to timeoutMs for the program to end; its exit code, or ~0u when it runs on.
    DWORD WaitForExit(DWORD timeoutMs) const {
        DWORD exitCode = ~0u;
        if (::WaitForSingleObject(Process(), timeoutMs) == WAIT_OBJECT_0) ::GetExitCodeProcess(Process(), &exitCode);
        return exitCode;
    }

    // The program's top-level window of windowClass, shown or not, or null.
    HWND WindowOfClass(const wchar_t* windowClass) const {
        for (HWND window = ::FindWindowExW(nullptr, nullptr, windowClass, nullptr); window;
             window = ::FindWindowExW(nullptr, window, windowClass, nullptr)) {
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            if (owner == Id()) return window;
        }
        return nullptr;
    }

    void Stop() noexcept {
        if (!process_) return;
        if (IsRunning()) ::TerminateProcess(Process(), 0);
        ::WaitForSingleObject(Process(), 10000);
        process_ = {};
    }

private:
    CustomPipes::UniqueProcessInformation process_;
};

struct ProcessOutput {
    DWORD exitCode = 0;
    std::string output;  // what the process wrote to its standard output
};

// Runs commandLine to its end and collects its standard output.
inline ProcessOutput RunAndCapture(std::wstring commandLine, DWORD timeoutMs = 60000) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {~0u, {}};
    const CustomPipes::UniqueHandle reader(readEnd);
    CustomPipes::UniqueHandle writer(writeEnd);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    const ChildProcess process = ChildProcess::Start(std::move(commandLine), &si, true);
    if (!process) return {~0u, {}};
    writer.reset();  // the child's copy is the only writer left: its end ends the reading

    ProcessOutput result;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) result.output.append(buffer, got);
    result.exitCode = process.WaitForExit(timeoutMs);
    return result;
}
