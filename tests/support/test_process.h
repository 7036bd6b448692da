// Starting the programs of the build from a test, as a user or a peer would.
#pragma once

#include "handles.h"

#include <string>

// The full path of a file in the folder of the running test program.
inline std::wstring PathBesideTest(const std::wstring& fileName) {
    wchar_t self[MAX_PATH * 4];
    const DWORD n = ::GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
    std::wstring path(self, n);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + fileName;
}

struct ProcessOutput {
    DWORD exitCode = 0;
    std::string output;  // what the process wrote to its standard output
};

// Runs commandLine to its end and collects its standard output.
inline ProcessOutput RunAndCapture(std::wstring commandLine, DWORD timeoutMs = 60000) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {~0u, {}};
    UniqueHandle reader(readEnd), writer(writeEnd);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writeEnd;
    si.hStdError = writeEnd;
    si.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    UniqueProcessInformation process;
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                          process.Receive())) {
        return {~0u, {}};
    }
    writer.reset();

    ProcessOutput result;
    char buffer[4096];
    DWORD got = 0;
    while (::ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) result.output.append(buffer, got);
    ::WaitForSingleObject(process.Get().hProcess, timeoutMs);
    ::GetExitCodeProcess(process.Get().hProcess, &result.exitCode);
    return result;
}
