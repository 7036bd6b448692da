#include "standard_streams.h"

#include "wire_text.h"
#include "win32.h"

#include <string>

namespace tools {

namespace {

void Write(DWORD which, std::wstring_view text) {
    const HANDLE stream = ::GetStdHandle(which);
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD mode = 0, written = 0;
    if (::GetConsoleMode(stream, &mode)) {
        ::WriteConsoleW(stream, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    // A pipe may take less than asked for at a time.
    const std::string bytes = wire::ToUtf8(text);
    for (size_t done = 0; done < bytes.size(); done += written) {
        if (!::WriteFile(stream, bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written, nullptr) ||
            written == 0) {
            return;
        }
    }
}

}  // namespace

void WriteOutput(std::wstring_view text) { Write(STD_OUTPUT_HANDLE, text); }

void WriteErrorLine(std::wstring_view line) { Write(STD_ERROR_HANDLE, std::wstring(line) + L"\n"); }

std::wstring OneLine(std::wstring_view text) {
    std::wstring line;
    for (const std::wstring_view part : wire::SplitLines(text)) {
        if (!line.empty()) line += L" | ";
        line += part;
    }
    return line;
}

}  // namespace tools
