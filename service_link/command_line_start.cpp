// Starting Varnel with a command-line switch.
#include "CustomPipes.h"

#include "process_start.h"

namespace CustomPipes {

namespace {

constexpr DWORD kHeadStartMs = 2000;

}  // namespace

void StartWithArguments(const std::wstring& path, const std::wstring& arguments) {
    if (!IsExistingFile(path)) return;
    // The path is quoted and also given as the application name: unquoted, a path with
    // spaces would first be tried cut at its first space ("C:\Program.exe").
    // A failed start is not reported: the launch page shows nothing either way.
    if (const UniqueProcessInformation process = StartProcess(path.c_str(), L"\"" + path + L"\"" + arguments)) {
        ::WaitForSingleObject(process.Get().hProcess, kHeadStartMs);
    }
}

}  // namespace CustomPipes
