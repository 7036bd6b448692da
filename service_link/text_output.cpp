#include "text_output.h"

#include "utf16.h"

#include <algorithm>
#include <string>

namespace CustomPipes {

namespace {

// Older consoles fail a WriteConsoleW of some hundred kilobytes at once (its buffer
// comes from a 64 KB heap shared with the console's other work): well below that.
constexpr size_t kConsolePiece = 8192;

// The system error of a failed write, or 0 when all of text was written.
DWORD WriteToConsole(HANDLE console, std::wstring_view text) {
    while (!text.empty()) {
        size_t piece = std::min(text.size(), kConsolePiece);
        // Never half a surrogate pair at the end of a piece.
        if (piece < text.size() && IsHighSurrogate(text[piece - 1])) --piece;
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

}  // namespace

DWORD WriteText(HANDLE stream, std::wstring_view text) {
    DWORD mode = 0;
    if (::GetConsoleMode(stream, &mode)) return WriteToConsole(stream, text);
    return WriteBytes(stream, Utf8Of(text));
}

}  // namespace CustomPipes
