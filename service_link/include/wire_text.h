// Wire text: the form of the text in the request and answer blocks.
//
// UTF-16LE characters ending with a NUL, where the values are carried so that
// converting the text to the system ANSI code page gives UTF-8 bytes: each UTF-8
// byte of a value travels as the character that byte denotes in the ANSI code page.
// This only maps one to one under a single-byte ANSI code page such as 1251.
#pragma once

#include "win32.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace CustomPipes::wire {

// True when every character of the code page is one byte (GetCPInfo).
bool IsSingleByteCodePage(UINT codePage);

// The index of the first UTF-16 surrogate that is not part of a pair.
std::optional<size_t> FindLoneSurrogate(std::wstring_view text);

// The number of bytes ToUtf8 makes of text.
size_t Utf8Length(std::wstring_view text);

// UTF-16 to UTF-8. Text must hold no lone surrogate (see FindLoneSurrogate).
std::string ToUtf8(std::wstring_view text);

// The wire form of a value: its UTF-8 bytes, each widened as the character it denotes
// in codePage. Under a multi-byte code page only ASCII can be carried; other text
// raises ProgramError naming the code page. Text must hold no lone surrogate.
std::wstring EncodeValue(std::wstring_view value, UINT codePage = CP_ACP);

// The same, appended to text.
void AppendValue(std::wstring_view value, UINT codePage, std::wstring& text);

// Wire text to bytes in codePage, by the system's conversion: a character the code
// page cannot represent becomes its default character after best-fit mapping.
std::string ToAnsiBytes(std::wstring_view text, UINT codePage = CP_ACP);

// Bytes in codePage to UTF-16 by the system's conversion (the inverse of ToAnsiBytes).
std::wstring FromAnsiBytes(std::string_view bytes, UINT codePage = CP_ACP);

// UTF-8 to UTF-16. Each malformed sequence (its maximal valid prefix) becomes one
// U+FFFD; four-byte sequences become surrogate pairs.
std::wstring DecodeUtf8(std::string_view bytes);

// The lines of a text: CR LF, a lone CR and a lone LF each end a line; a final line
// without a terminator still counts; a terminator at the very end adds no empty line.
std::vector<std::wstring_view> SplitLines(std::wstring_view text);

// The lines of a multi-line text joined into one line by " | ": a reason as a one-line
// message shows it.
std::wstring OneLine(std::wstring_view text);

// Answer text to display lines: split, then each line to ANSI bytes and from UTF-8.
std::vector<std::wstring> DecodeLines(std::wstring_view text, UINT codePage = CP_ACP);

// The same lines joined by CR LF into one text (none after the last), as a multi-line
// edit control takes them; built in one buffer.
std::wstring DecodeLinesJoined(std::wstring_view text, UINT codePage = CP_ACP);

// The text of a block: the UTF-16 characters up to the first NUL, or all of them.
std::wstring_view TextUpToNul(const void* data, size_t byteCount);

}  // namespace CustomPipes::wire
