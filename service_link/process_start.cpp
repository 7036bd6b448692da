#include "process_start.h"

namespace CustomPipes {

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
