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
    StartAndWait(path, L"\"" + path + L"\"" + arguments, kHeadStartMs);
}

}  // namespace CustomPipes
