// Starting Varnel with a command-line switch.
#include "CustomPipes.h"

#include "handles.h"

namespace CustomPipes {

namespace {

constexpr size_t kMaxCommandLine = 32767;  // CreateProcess's limit, terminator included
constexpr DWORD kHeadStartMs = 2000;

}  // namespace

void StartWithArguments(const std::wstring& path, const std::wstring& arguments) {
    if (!IsExistingFile(path)) return;
    // The path is quoted and also given as the application name: unquoted, a path with
    // spaces would first be tried cut at its first space ("C:\Program.exe").
    std::wstring commandLine = L"\"" + path + L"\"" + arguments;
    if (commandLine.size() >= kMaxCommandLine) return;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    UniqueProcessInformation process;
    if (::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                         process.Receive())) {
        ::WaitForSingleObject(process.Get().hProcess, kHeadStartMs);
    }
}

}  // namespace CustomPipes
