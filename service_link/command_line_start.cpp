#include "command_line_start.h"

#include "handles.h"
#include "process_start.h"

namespace CustomPipes {

namespace {

constexpr DWORD kHeadStartMs = 2000;

}  // namespace

bool IsExistingFile(const std::wstring& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;

    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME) return false;
    // Other failures (a file locked for sharing, say): let a directory search decide.
    WIN32_FIND_DATAW found{};
    const UniqueFindHandle search(::FindFirstFileW(path.c_str(), &found));
    return search && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

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
