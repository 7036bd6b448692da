#include "standard_streams.h"

#include "handles.h"
#include "program_error.h"
#include "wire_text.h"
#include "win32.h"

#include <algorithm>
#include <string>

namespace tools {

namespace {

// Older consoles fail a WriteConsoleW of some hundred kilobytes at once (its buffer
// comes from a 64 KB heap shared with the console's other work): well below that.
constexpr size_t kConsolePiece = 8192;

// The system error of a failed write, or 0 when all of text was written.
DWORD WriteToConsole(HANDLE console, std::wstring_view text) {
    while (!text.empty()) {
        size_t piece = std::min(text.size(), kConsolePiece);
        // Never half a surrogate pair at the end of a piece.
        if (piece < text.size() && text[piece - 1] >= 0xD800 && text[piece - 1] <= 0xDBFF) --piece;
        DWORD written = 0;
        if (!::WriteConsoleW(console, text.data(), static_cast<DWORD>(piece), &written, nullptr)) return ::GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        text.remove_prefix(written);
    }
    return 0;
}

// The same for a pipe or a file, which may take less than asked for at a time.
DWORD WriteBytes(HANDLE stream, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!::WriteFile(stream, bytes.data(), static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30)), &written,
                         nullptr)) {
            return ::GetLastError();
        }
        if (written == 0) return ERROR_WRITE_FAULT;
        bytes.remove_prefix(written);
    }
    return 0;
}

DWORD WriteToStream(HANDLE stream, std::wstring_view text) {
    DWORD mode = 0;
    if (::GetConsoleMode(stream, &mode)) return WriteToConsole(stream, text);
    return WriteBytes(stream, CustomPipes::wire::ToUtf8(text));
}

// What a failed write means to a user, in words and with the system's number.
std::wstring WriteFailure(DWORD error) {
    std::wstring words;
    switch (error) {
        case ERROR_BROKEN_PIPE:
        case ERROR_NO_DATA:
        case ERROR_PIPE_NOT_CONNECTED: words = L"the program reading it has closed it; "; break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL: words = L"the disk is full; "; break;
        default: break;
    }
    return words + L"system error " + std::to_wstring(error);
}

bool IsStream(HANDLE stream) { return stream != nullptr && stream != INVALID_HANDLE_VALUE; }

}  // namespace

void WriteOutput(std::wstring_view text) {
    const HANDLE stream = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (!IsStream(stream)) throw CustomPipes::ProgramError(L"there is no standard output to write to");
    if (const DWORD error = WriteToStream(stream, text)) {
        throw CustomPipes::ProgramError(L"the standard output cannot be written (" + WriteFailure(error) + L")");
    }
}

void WriteUtf8File(const std::wstring& path, std::wstring_view text) {
    DWORD error = 0;
    {
        const CustomPipes::UniqueHandle file = CustomPipes::AdoptFileHandle(
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            error = ::GetLastError();
            throw CustomPipes::ProgramError(L"the file \"" + path + L"\" cannot be created (system error " + std::to_wstring(error) +
                               L")");
        }
        error = WriteBytes(file.get(), CustomPipes::wire::ToUtf8(text));
    }
    if (error) {
        // A cut answer must not pass for a whole one.
        const bool removed = ::DeleteFileW(path.c_str());
        throw CustomPipes::ProgramError(L"the file \"" + path + L"\" cannot be written (" + WriteFailure(error) + L")" +
                           (removed ? L"; what was written of it is removed" : L"; it holds only part of the text"));
    }
}

void WriteErrorLine(std::wstring_view line) {
    const HANDLE stream = ::GetStdHandle(STD_ERROR_HANDLE);
    if (IsStream(stream)) WriteToStream(stream, std::wstring(line) + L"\n");
}

std::wstring OneLine(std::wstring_view text) {
    std::wstring line;
    for (const std::wstring_view part : CustomPipes::wire::SplitLines(text)) {
        if (!line.empty()) line += L" | ";
        line += part;
    }
    return line;
}

}  // namespace tools
