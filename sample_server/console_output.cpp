#include "console_output.h"

#include "text_output.h"

#include <string>

namespace sample_server {

namespace {

bool IsUsable(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

// A GUI program has no console of its own; started from a command prompt it borrows
// its parent's for output.
HANDLE OutputHandle() {
    static HANDLE output = [] {
        HANDLE given = ::GetStdHandle(STD_OUTPUT_HANDLE);
        if (IsUsable(given)) return given;
        if (!::AttachConsole(ATTACH_PARENT_PROCESS)) return HANDLE{nullptr};
        HANDLE console = ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
        return IsUsable(console) ? console : HANDLE{nullptr};
    }();
    return output;
}

}  // namespace

void PrintLine(std::wstring_view line) {
    HANDLE output = OutputHandle();
    if (!output) return;
    CustomPipes::WriteText(output, std::wstring(line) + L"\r\n");
}

}  // namespace sample_server
