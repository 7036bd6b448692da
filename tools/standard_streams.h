// The tools' output: text to standard output, to standard error or to a file the user
// names, byte-exact when not a console.
#pragma once

#include <string>
#include <string_view>

namespace tools {

// Writes text to standard output: to a console as UTF-16 (whatever its code page), to a
// pipe or a file as UTF-8 bytes. Written at once, so a reader sees every line as it
// comes. Raises CustomPipes::ProgramError when not all of it could be written (the reader has gone,
// the disk is full, there is no standard output): a script must not take a cut answer
// for a whole one.
void WriteOutput(std::wstring_view text);

// Writes text as UTF-8 bytes to the file at path, replacing one that is there. Raises
// CustomPipes::ProgramError when it cannot be written whole; what was written of it is removed.
void WriteUtf8File(const std::wstring& path, std::wstring_view text);

// One line (ended by "\n") on standard error, written the same way. A failure is not
// reported: standard error is where failures are reported.
void WriteErrorLine(std::wstring_view line);

}  // namespace tools
