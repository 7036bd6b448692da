#include "wire_text.h"

#include "program_error.h"
#include "srw_lock.h"
#include "utf16.h"

#include <algorithm>
#include <cwchar>

namespace CustomPipes::wire {

namespace {


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
    // Most text holds no surrogate at all: one branch-free pass settles that.
    size_t surrogates = 0;
    for (wchar_t c : text) surrogates += static_cast<unsigned>(c - 0xD800) < 0x800u;
    if (surrogates == 0) return std::nullopt;
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            ++i;
        } else if (IsHighSurrogate(text[i]) || IsLowSurrogate(text[i])) {
            return i;
        }
    }
    return std::nullopt;
}

namespace {

// Writes the UTF-8 bytes of text, each as put(byte), and returns the end of the output.
template <typename Out, typename Put>
Out* WriteUtf8(std::wstring_view text, Out* o, Put put) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        }
        if (c < 0x80) {
            *o++ = put(c);
        } else if (c < 0x800) {
            *o++ = put(0xC0 | (c >> 6));
            *o++ = put(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *o++ = put(0xE0 | (c >> 12));
            *o++ = put(0x80 | ((c >> 6) & 0x3F));
            *o++ = put(0x80 | (c & 0x3F));
        } else {
            *o++ = put(0xF0 | (c >> 18));
            *o++ = put(0x80 | ((c >> 12) & 0x3F));
            *o++ = put(0x80 | ((c >> 6) & 0x3F));
            *o++ = put(0x80 | (c & 0x3F));
        }
    }
    return o;
}

}  // namespace

size_t Utf8Length(std::wstring_view text) {
    size_t bytes = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            bytes += 4;
            ++i;
        } else {
            bytes += c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
        }
    }
    return bytes;
}

std::string ToUtf8(std::wstring_view text) {
    // At most three bytes for each UTF-16 unit (a pair of two makes four); writing
    // through a pointer keeps the loop free of a capacity check per byte.
    std::string out(text.size() * 3, '\0');
    char* end = WriteUtf8(text, out.data(), [](char32_t byte) { return static_cast<char>(byte); });
    out.resize(static_cast<size_t>(end - out.data()));
    return out;
}

namespace {

// What each byte denotes under a single-byte code page, worked out once per code page:
// a request has several values, and a conversion per value cost more than encoding it.
// One table for the process, behind a lock: a thread_local would make the threads
// runtime keep data of every thread that wrote a request, which a DLL unloaded before
// the thread ends leaves behind.
struct ByteCharacters {
    UINT codePage = 0;
    bool singleByte = false;
    bool complete = false;  // denoted holds 256 characters: singleByte and the conversion gave them
    wchar_t denoted[256] = {};
};

SRWLOCK lastTableLock = SRWLOCK_INIT;
ByteCharacters lastTable;  // the code page asked for last

ByteCharacters ByteCharactersOf(UINT codePage) {
    const UINT cp = Resolve(codePage);
    if (cp != 0) {
        const SharedLock lock(lastTableLock);
        if (lastTable.codePage == cp) return lastTable;
    }
    ByteCharacters table;
    table.codePage = cp;
    table.singleByte = IsSingleByteCodePage(cp);
    if (table.singleByte) {
        char everyByte[256];
        for (int b = 0; b < 256; ++b) everyByte[b] = static_cast<char>(b);
        const std::wstring denoted = FromAnsiBytes(std::string_view(everyByte, sizeof everyByte), cp);
        table.complete = denoted.size() == 256;
        if (table.complete) denoted.copy(table.denoted, 256);
    }
    const ExclusiveLock lock(lastTableLock);
    lastTable = table;
    return table;
}

}  // namespace

std::wstring EncodeValue(std::wstring_view value, UINT codePage) {
    std::wstring text;
    AppendValue(value, codePage, text);
    return text;
}

void AppendValue(std::wstring_view value, UINT codePage, std::wstring& text) {
    if (IsAscii(value)) {
        text += value;
        return;
    }
    const ByteCharacters table = ByteCharactersOf(codePage);
    if (!table.singleByte) {
        throw ProgramError(L"The system ANSI code page " + std::to_wstring(table.codePage) +
                           L" is a multi-byte code page: a request can carry only ASCII text "
                           L"under it, and this value holds other characters");
    }
    if (!table.complete) {
        text += FromAnsiBytes(ToUtf8(value), table.codePage);
        return;
    }
    // Under a single-byte code page each byte denotes one character by itself.
    // Grown by exactly the value's bytes: a text reserved for the whole request is never
    // outgrown, and so never moved.
    const wchar_t* denoted = table.denoted;
    const size_t before = text.size();
    text.resize(before + Utf8Length(value));
    WriteUtf8(value, text.data() + before, [denoted](char32_t byte) { return denoted[byte]; });
}

std::string ToAnsiBytes(std::wstring_view text, UINT codePage) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    // One byte per character is enough under a single-byte code page, so one call
    // usually does; only a longer result needs the size asked first.
    std::string bytes(text.size(), '\0');
    int size = ::WideCharToMultiByte(codePage, 0, text.data(), length, bytes.data(), length, nullptr, nullptr);
    if (size == 0) {
        size = ::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
        bytes.assign(static_cast<size_t>(size), '\0');
        ::WideCharToMultiByte(codePage, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
    }
    bytes.resize(static_cast<size_t>(size));
    return bytes;
}

std::wstring FromAnsiBytes(std::string_view bytes, UINT codePage) { return FromCodePage(bytes, codePage); }

namespace {

// Writes the UTF-16 of bytes to o, which has room for bytes.size() units (never more
// units than bytes: a pair of units takes four bytes), and returns the end.
wchar_t* DecodeUtf8To(std::string_view bytes, wchar_t* o) {
    const auto at = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    size_t i = 0;
    while (i < bytes.size()) {
        const unsigned char lead = at(i);
        if (lead < 0x80) {
            *o++ = static_cast<wchar_t>(lead);
            ++i;
            continue;
        }
        // Cyrillic is two bytes: the common case takes no table.
        if (lead >= 0xC2 && lead <= 0xDF && i + 1 < bytes.size() && (at(i + 1) & 0xC0) == 0x80) {
            *o++ = static_cast<wchar_t>(((lead & 0x1F) << 6) | (at(i + 1) & 0x3F));
            i += 2;
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
            *o++ = L'\uFFFD';
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
            *o++ = L'\uFFFD';
        } else if (c >= 0x10000) {
            c -= 0x10000;
            *o++ = static_cast<wchar_t>(0xD800 + (c >> 10));
            *o++ = static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        } else {
            *o++ = static_cast<wchar_t>(c);
        }
    }
    return o;
}

// Appends the UTF-16 of bytes to out.
void AppendDecodedUtf8(std::string_view bytes, std::wstring& out) {
    const size_t at = out.size();
    out.resize(at + bytes.size());
    out.resize(static_cast<size_t>(DecodeUtf8To(bytes, out.data() + at) - out.data()));
}

}  // namespace

std::wstring DecodeUtf8(std::string_view bytes) {
    std::wstring out;
    AppendDecodedUtf8(bytes, out);
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

std::wstring OneLine(std::wstring_view text) {
    std::wstring line;
    for (const std::wstring_view part : SplitLines(text)) {
        if (!line.empty()) line += L" | ";
        line += part;
    }
    return line;
}

namespace {

// Calls lineBytes(bytes) with the ANSI bytes of each line of text, in order.
template <typename LineBytes>
void ForEachLineInAnsiBytes(std::wstring_view text, UINT codePage, LineBytes&& lineBytes) {
    const UINT cp = Resolve(codePage);
    // Under a single-byte code page one conversion of the whole text serves every
    // line, as long as each character became exactly one byte.
    std::string whole;
    if (IsSingleByteCodePage(cp)) {
        whole = ToAnsiBytes(text, cp);
        if (whole.size() != text.size()) whole.clear();
    }
    for (std::wstring_view line : SplitLines(text)) {
        if (!whole.empty()) {
            const size_t offset = static_cast<size_t>(line.data() - text.data());
            lineBytes(std::string_view(whole).substr(offset, line.size()));
        } else {
            lineBytes(ToAnsiBytes(line, cp));
        }
    }
}

}  // namespace

std::vector<std::wstring> DecodeLines(std::wstring_view text, UINT codePage) {
    std::vector<std::wstring> decoded;
    ForEachLineInAnsiBytes(text, codePage, [&](std::string_view bytes) { decoded.push_back(DecodeUtf8(bytes)); });
    return decoded;
}

std::wstring DecodeLinesJoined(std::wstring_view text, UINT codePage) {
    std::wstring joined;
    joined.reserve(text.size() + 2);
    bool first = true;
    ForEachLineInAnsiBytes(text, codePage, [&](std::string_view bytes) {
        if (!first) joined += L"\r\n";
        first = false;
        AppendDecodedUtf8(bytes, joined);
    });
    return joined;
}

std::wstring_view TextUpToNul(const void* data, size_t byteCount) {
    const auto* chars = static_cast<const wchar_t*>(data);
    const size_t count = byteCount / sizeof(wchar_t);
    const wchar_t* nul = std::wmemchr(chars, L'\0', count);
    return std::wstring_view(chars, nul ? static_cast<size_t>(nul - chars) : count);
}

}  // namespace CustomPipes::wire
