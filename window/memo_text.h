// The text Memo1 is given for an answer.
#pragma once

#include "platform.h"

#include <string>
#include <string_view>

namespace window {

using CustomPipes::RunsUnderWine;

// Wine's edit control faults while laying out some combining marks, which would end
// the program on an answer that holds them: with underWine the text is
// display::MarksAsPlaceholders(text); otherwise it is returned as it is.
std::wstring MemoText(std::wstring_view text, bool underWine);

}  // namespace window
