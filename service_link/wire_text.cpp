#include "wire_text.h"

#include "program_error.h"

#include <algorithm>
#include <cwchar>

namespace wire {

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

bool IsAscii(std::wstring_view text) {
    return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
}

UINT Resolve(UINT codePage) { return codePage == CP_ACP ? ::GetACP() : codePage; }

}  // namespace

bool IsSingleByteCodePage(UINT codePage) {
    CPINFO info{};
    return ::GetCPInfo(codePage, &info) && info.MaxCharSize == 1;
}

std::optional<size_t> FindLoneSurrogate(std::wstring_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            return i;
        }
    }
    return std::nullopt;
}

std::string ToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::wstring EncodeValue(std::wstring_view value, UINT codePage) {
    if (IsAscii(value)) return std::wstring(value);
    const UINT cp = Resolve(codePage);
    if (!IsSingleByteCodePage(cp)) {
        throw ProgramError(L"The system ANSI code page " + std::to_wstring(cp) +
                           L" is a multi-byte code page: a request can carry only ASCII text "
                           L"under it, and this value holds other characters");
    }
    return FromAnsiBytes(ToUtf8(value), cp);
}

std::string ToAnsiBytes(std::wstring_view text, UINT codePage) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::wstring FromAnsiBytes(std::string_view bytes, UINT codePage) {
    if (bytes.empty()) return {};
    const int length = static_cast<int>(bytes.size());
    const int size = ::MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), length, text.data(), size);
    return text;
}

std::wstring DecodeUtf8(std::string_view bytes) {
    std::wstring out;
    out.reserve(bytes.size());
    const auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char lead = at(i);
        if (lead < 0x80) {
            out += static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        // Expected length and the range of the second byte (Unicode table 3-7).
        size_t need = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            need = 1;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            need = 2;
            if (lead == 0xE0) lo = 0xA0;
            if (lead == 0xED) hi = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            need = 3;
            if (lead == 0xF0) lo = 0x90;
            if (lead == 0xF4) hi = 0x8F;
        } else {
            out += L'\uFFFD';
            ++i;
            continue;
        }
        char32_t c = lead & (0x3F >> need);
        size_t taken = 1;
        bool complete = true;
        for (size_t k = 0; k < need; ++k) {
            if (i + taken >= bytes.size()) {
                complete = false;
                break;
            }
            const unsigned char b = at(i + taken);
            const unsigned char min = k == 0 ? lo : 0x80, max = k == 0 ? hi : 0xBF;
            if (b < min || b > max) {
                complete = false;
                break;
            }
            c = (c << 6) | (b & 0x3F);
            ++taken;
        }
        i += taken;
        if (!complete) {
            out += L'\uFFFD';
        } else if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (c >> 10));
            out += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<wchar_t>(c);
        }
    }
    return out;
}

std::vector<std::wstring_view> SplitLines(std::wstring_view text) {
    std::vector<std::wstring_view> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'\r' && text[i] != L'\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::vector<std::wstring> DecodeLines(std::wstring_view text, UINT codePage) {
    const UINT cp = Resolve(codePage);
    const std::vector<std::wstring_view> lines = SplitLines(text);
    std::vector<std::wstring> decoded;
    decoded.reserve(lines.size());

    // Under a single-byte code page one conversion of the whole text serves every
    // line, as long as each character became exactly one byte.
    std::string whole;
    if (IsSingleByteCodePage(cp)) {
        whole = ToAnsiBytes(text, cp);
        if (whole.size() != text.size()) whole.clear();
    }
    for (std::wstring_view line : lines) {
        if (!whole.empty()) {
            const size_t offset = static_cast<size_t>(line.data() - text.data());
            decoded.push_back(DecodeUtf8(std::string_view(whole).substr(offset, line.size())));
        } else {
            decoded.push_back(DecodeUtf8(ToAnsiBytes(line, cp)));
        }
    }
    return decoded;
}

std::wstring_view TextUpToNul(const void* data, size_t byteCount) {
    const auto* chars = static_cast<const wchar_t*>(data);
    const size_t count = byteCount / sizeof(wchar_t);
    const wchar_t* nul = std::wmemchr(chars, L'\0', count);
    return std::wstring_view(chars, nul ? static_cast<size_t>(nul - chars) : count);
}

}  // namespace wire
