// A court answer as the court service leaves it: about 300 lines of Cyrillic XML in
// wire form, filling the 65536-byte answer block to its last character.
#pragma once

#include "named_block.h"

#include <string>

namespace bench {

// 32767 characters of wire text (the NUL that follows makes 65536 bytes).
std::wstring FullCourtAnswer();

// The court service's answer block, created by this process and filled with text
// and its NUL. Raises CustomPipes::ProgramError when the block cannot be created.
CustomPipes::NamedBlock CreateCourtAnswerBlock(const std::wstring& text);

}  // namespace bench
