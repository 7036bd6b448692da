#include "process_start.h"

namespace CustomPipes {

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

UniqueProcessInformation StartProcess(const wchar_t* applicationName, std::wstring commandLine,
                                      const STARTUPINFOW* startup, bool inheritHandles,
                                      const wchar_t* currentDirectory) {
    UniqueProcessInformation process;
    if (commandLine.size() >= kMaxCommandLine) {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return process;
    }
    STARTUPINFOW defaults{};
    defaults.cb = sizeof defaults;
    // CreateProcess may write into the command line, so it gets a copy of its own.
    if (!::CreateProcessW(applicationName, commandLine.data(), nullptr, nullptr, inheritHandles, 0, nullptr, currentDirectory,
                          const_cast<STARTUPINFOW*>(startup ? startup : &defaults), process.Receive())) {
        return {};  // left untouched by the failed call, so closing nothing
    }
    return process;
}

}  // namespace CustomPipes
