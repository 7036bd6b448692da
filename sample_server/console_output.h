// Printing from the record modes of a GUI program: to the standard output it was given
// (a pipe or a file), or else to the console of the process that started it.
#pragma once

#include <string_view>

namespace sample_server {

// One line, ended by CR LF. Text goes to a pipe or file as UTF-8, to a console as
// UTF-16. Nowhere to print is not an error.
void PrintLine(std::wstring_view line);

}  // namespace sample_server
