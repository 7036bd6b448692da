// The text Memo1 is given for an answer.
#pragma once

#include "platform.h"

#include <string>
#include <string_view>

using CustomPipes::RunsUnderWine;

// Wine's edit control faults while laying out some combining marks in Tahoma (seen
// with an Arabic letter, "]" and a Hebrew point: U+0772 U+005D U+05B2), which would
// end the program on an answer that holds them. With underWine each non-spacing or
// enclosing mark becomes U+25CC "◌"; otherwise the text is returned as it is.
std::wstring MemoText(std::wstring_view text, bool underWine);
