// Writing text to a standard stream as the programs of this project do: to a console as
// UTF-16, whatever its code page, and to a pipe or a file as UTF-8 bytes.
#pragma once

#include "win32.h"

#include <string_view>

namespace CustomPipes {

// Writes all of text to stream. A console takes it in pieces small enough for older
// consoles; a pipe or a file, which may take less than asked for, until all is written.
// Returns the system error of a failed write, or 0 when all of text was written.
DWORD WriteText(HANDLE stream, std::wstring_view text);

}  // namespace CustomPipes
