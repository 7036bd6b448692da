// What the error display shows for an error's text.
#pragma once

#include "win32.h"

#include <string>

namespace window {

// Appends "." unless the text is empty or already ends in a character at or below
// U+002E (".", ")", "!", a space, a line break...).
std::wstring ErrorDisplayText(std::wstring text);

}  // namespace window
