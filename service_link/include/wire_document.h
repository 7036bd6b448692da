// A whole document in wire text: what a request file becomes, and what a block holds.
#pragma once

#include "win32.h"

#include <optional>
#include <string>
#include <string_view>

namespace CustomPipes::wire {

// The UTF-8 document that wire text carries: the text in codePage. Nothing when the text
// is not wire text: a character with no single byte of its own in the code page, or
// bytes that are not UTF-8.
std::optional<std::string> DocumentOfWireText(std::wstring_view text, UINT codePage = CP_ACP);

// The wire text of a UTF-8 document (without NUL), checked to carry exactly these bytes
// back. Raises ProgramError when the bytes are not UTF-8, when the document holds
// non-ASCII text under a multi-byte code page, or when a byte would not come back.
std::wstring WireTextOfDocument(std::string_view utf8Document, UINT codePage = CP_ACP);

// A prepared request (a whole UTF-8 document that varnel-query or varnel.dll is given):
// checked as a built request is (CheckRequestDocument), then in wire form with its NUL.
// source, when given, names the document at the start of a reason that WireTextOfDocument
// raises ("the request file \"x.xml\": ...").
std::wstring PreparedRequestWireText(std::string_view utf8Document, const std::wstring& source = L"");

}  // namespace CustomPipes::wire
