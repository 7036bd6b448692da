#include "command_line_start.h"

#include "process_start.h"

namespace CustomPipes {

namespace {

constexpr DWORD kHeadStartMs = 2000;

}  // namespace

bool StartWithArguments(const std::wstring& path, const std::wstring& arguments) {
    if (!IsExistingFile(path)) return false;
    // The path is quoted and also given as the application name: unquoted, a path with
    // spaces would first be tried cut at its first space ("C:\Program.exe").
    const UniqueProcessInformation process = StartProcess(path.c_str(), L"\"" + path + L"\"" + arguments);
    if (!process) return false;
    ::WaitForSingleObject(process.Get().hProcess, kHeadStartMs);
    return true;
}

}  // namespace CustomPipes
