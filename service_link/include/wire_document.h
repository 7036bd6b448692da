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

}  // namespace CustomPipes::wire
