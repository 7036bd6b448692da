// What the error display shows for an error's text.
#pragma once

#include "win32.h"

#include <string>

// Appends "." unless the text is empty or already ends in a character at or below
// U+002E (".", ")", "!", a space, a line break...).
std::wstring ErrorDisplayText(std::wstring text);

// "what (system error N)": what failed, and the system's error number for it.
std::wstring SystemErrorText(const std::wstring& what, DWORD error);
