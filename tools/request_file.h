// A prepared request, from a file or from standard input, checked and put in wire form
// as varnel-query sends it.
#pragma once

#include <string>
#include <string_view>

namespace tools {

// The name that reads the request from standard input instead of a file.
constexpr std::wstring_view kStandardInput = L"-";

// Reads path (or standard input, for "-") to its end, however it comes: a file, a pipe
// or a console (ended by Ctrl+Z). The text may be UTF-8, with or without a byte-order
// mark, or UTF-16 with one, little- or big-endian. Returns the UTF-8 document. Raises
// CustomPipes::ProgramError saying what was found when it cannot be read, is larger than 1 MB, or
// is no such text (a NUL in it, bytes that are no UTF-8 character).
std::string ReadRequestFile(const std::wstring& path);

// The request at path, as ReadRequestFile reads it, checked for well-formedness
// (the parser's reason and line) and in wire form with its terminating NUL.
std::wstring RequestFromFile(const std::wstring& path);

}  // namespace tools
