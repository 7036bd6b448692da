// The tools' output: text to standard output and standard error, byte-exact when piped.
#pragma once

#include <string_view>

namespace tools {

// Writes text to standard output: to a console as UTF-16 (whatever its code page), to a
// pipe or a file as UTF-8 bytes. Written at once, so a reader sees every line as it comes.
void WriteOutput(std::wstring_view text);

// One line (ended by "\n") on standard error, written the same way.
void WriteErrorLine(std::wstring_view line);

// The lines of a multi-line text (CR LF between them) joined into one line.
std::wstring OneLine(std::wstring_view text);

}  // namespace tools
