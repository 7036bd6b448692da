#include "request_file.h"

#include "handles.h"
#include "program_error.h"
#include "system_error.h"
#include "win32.h"
#include "wire_document.h"
#include "wire_text.h"

#include <cwchar>
#include <iterator>
#include <optional>
#include <string>

namespace tools {

namespace {

// A request block holds 16 KB; a much larger file is refused as too long anyway, and
// reading an endless pipe must stop somewhere.
constexpr size_t kMaxBytes = 1 << 20;

// How the messages name where the request came from.
std::wstring SourceName(const std::wstring& path) {
    return path == kStandardInput ? L"the request on standard input" : L"the request file \"" + path + L"\"";
}

[[noreturn]] void TooLarge(const std::wstring& source) {
    throw CustomPipes::ProgramError(source + L" is not a request: it is larger than 1 MB");
}

// What a console gives until Ctrl+Z begins a line (or the console ends), as UTF-8.
std::string ReadConsoleToEnd(HANDLE console, const std::wstring& source) {
    std::wstring text;
    wchar_t buffer[4096];
    for (;;) {
        DWORD got = 0;
        if (!::ReadConsoleW(console, buffer, static_cast<DWORD>(std::size(buffer)), &got, nullptr)) {
            const DWORD error = ::GetLastError();
            throw CustomPipes::ProgramError(CustomPipes::SystemErrorText(source + L" cannot be read", error));
        }
        if (got == 0) break;
        text.append(buffer, got);
        const size_t end = text.find(L'\x1A');
        if (end != std::wstring::npos) {
            text.resize(end);
            break;
        }
        if (text.size() * 3 > kMaxBytes) TooLarge(source);
    }
    return CustomPipes::wire::ToUtf8(text);
}

// Everything a file or a pipe gives until its end. Its size is not asked first: a pipe
// has none, and what it said need not be what comes.
std::string ReadToEnd(HANDLE stream, const std::wstring& source) {
    DWORD mode = 0;
    if (::GetConsoleMode(stream, &mode)) return ReadConsoleToEnd(stream, source);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(stream, buffer, sizeof buffer, &got, nullptr)) {
            const DWORD error = ::GetLastError();
            // The writing end of a pipe was closed: that is its end.
            if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) break;
            throw CustomPipes::ProgramError(CustomPipes::SystemErrorText(source + L" cannot be read", error));
        }
        if (got == 0) break;
        bytes.append(buffer, got);
        if (bytes.size() > kMaxBytes) TooLarge(source);
    }
    return bytes;
}

std::string ReadBytes(const std::wstring& path, const std::wstring& source) {
    if (path == kStandardInput) {
        const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
        if (input == nullptr || input == INVALID_HANDLE_VALUE) throw CustomPipes::ProgramError(L"there is no standard input to read");
        return ReadToEnd(input, source);
    }
    const CustomPipes::UniqueHandle file = CustomPipes::AdoptFileHandle(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        throw CustomPipes::ProgramError(CustomPipes::SystemErrorText(source + L" cannot be opened", error));
    }
    return ReadToEnd(file.get(), source);
}

// UTF-16 after its byte-order mark, as UTF-8.
std::string Utf8OfUtf16(std::string_view bytes, bool bigEndian, const std::wstring& source) {
    if (bytes.size() % 2 != 0) {
        throw CustomPipes::ProgramError(source + L" is not UTF-16 text: after its byte-order mark it has an odd number of bytes (" +
                           std::to_wstring(bytes.size()) + L")");
    }
    std::wstring text(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]), second = static_cast<unsigned char>(bytes[2 * i + 1]);
        text[i] = static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
    }
    if (const auto at = CustomPipes::wire::FindLoneSurrogate(text)) {
        throw CustomPipes::ProgramError(source + L" is not UTF-16 text: character " + std::to_wstring(*at + 1) +
                           L" is half of a surrogate pair");
    }
    if (const size_t nul = text.find(L'\0'); nul != std::wstring::npos) {
        throw CustomPipes::ProgramError(source + L" holds a NUL at character " + std::to_wstring(nul + 1) +
                           L", where a request would end");
    }
    return CustomPipes::wire::ToUtf8(text);
}

// The offset of the first byte that is not part of a UTF-8 character, if any. Decoding
// turns each such byte into U+FFFD, which an encoded U+FFFD of the text itself is not.
std::optional<size_t> FirstNonUtf8Byte(std::string_view bytes) {
    const std::wstring decoded = CustomPipes::wire::DecodeUtf8(bytes);
    size_t offset = 0;
    for (size_t i = 0; i < decoded.size(); ++i) {
        if (decoded[i] == L'\uFFFD' && bytes.substr(offset, 3) != "\xEF\xBF\xBD") return offset;
        // Decoding makes no lone surrogate: a high one starts a pair of four bytes.
        const bool pair = decoded[i] >= 0xD800 && decoded[i] <= 0xDBFF;
        offset += pair ? 4 : CustomPipes::wire::Utf8Length(decoded.substr(i, 1));
        i += pair ? 1 : 0;
    }
    return std::nullopt;
}

std::string CheckedUtf8(std::string bytes, const std::wstring& source) {
    if (const size_t nul = bytes.find('\0'); nul != std::string::npos) {
        throw CustomPipes::ProgramError(source + L" is not UTF-8 text: the byte at offset " + std::to_wstring(nul) +
                           L" is a NUL, as in UTF-16 text without a byte-order mark; save it as UTF-8, or as "
                           L"UTF-16 with a byte-order mark");
    }
    if (const auto bad = FirstNonUtf8Byte(bytes)) {
        wchar_t byte[8];
        std::swprintf(byte, std::size(byte), L"0x%02X", static_cast<unsigned>(static_cast<unsigned char>(bytes[*bad])));
        throw CustomPipes::ProgramError(source + L" is not UTF-8 text: the byte at offset " + std::to_wstring(*bad) + L" (" + byte +
                           L") is not part of a UTF-8 character; text in another encoding, such as Windows-1251, "
                           L"must be saved as UTF-8");
    }
    return bytes;
}

}  // namespace

std::string ReadRequestFile(const std::wstring& path) {
    const std::wstring source = SourceName(path);
    std::string bytes = ReadBytes(path, source);
    // Windows PowerShell's Out-File and Notepad's "Unicode" write UTF-16 with a byte-order
    // mark; editors may add one to UTF-8.
    if (bytes.starts_with("\xFF\xFE")) return Utf8OfUtf16(std::string_view(bytes).substr(2), false, source);
    if (bytes.starts_with("\xFE\xFF")) return Utf8OfUtf16(std::string_view(bytes).substr(2), true, source);
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
    return CheckedUtf8(std::move(bytes), source);
}

std::wstring RequestFromFile(const std::wstring& path) {
    return CustomPipes::wire::PreparedRequestWireText(ReadRequestFile(path), SourceName(path));
}

}  // namespace tools
