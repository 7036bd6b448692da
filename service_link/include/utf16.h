// Text as Windows holds it, UTF-16: its surrogate pairs, and the system's plain
// conversions to UTF-8 and from a code page. The wire text's own rules are in
// wire_text.h.
#pragma once

#include "win32.h"

#include <string>
#include <string_view>

namespace CustomPipes {

constexpr bool IsHighSurrogate(wchar_t c) noexcept { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool IsLowSurrogate(wchar_t c) noexcept { return c >= 0xDC00 && c <= 0xDFFF; }

// UTF-16 to UTF-8 by the system; a lone surrogate becomes U+FFFD. For texts shown to a
// person or written to a report.
inline std::string Utf8Of(std::wstring_view text) {
    const int size = static_cast<int>(text.size());
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0) ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

// Bytes in codePage to UTF-16 by the system.
inline std::wstring FromCodePage(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) return {};
    const int length = static_cast<int>(bytes.size());
    // No code page makes more UTF-16 units than bytes; the size query is the fallback.
    std::wstring text(bytes.size(), L'\0');
    int size = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, text.data(), length);
    if (size == 0) {
        size = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
        text.assign(static_cast<size_t>(size), L'\0');
        ::MultiByteToWideChar(codePage, 0, bytes.data(), length, text.data(), size);
    }
    text.resize(static_cast<size_t>(size));
    return text;
}

}  // namespace CustomPipes
