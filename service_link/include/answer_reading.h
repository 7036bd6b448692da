// Reading a service's answer out of its answer block.
#pragma once

#include "win32.h"

#include <optional>
#include <string>

namespace CustomPipes {

// The answer in the answer block of the service whose data-ready message this is; none
// for any other message, or when the block cannot be opened or read.
std::optional<std::wstring> ReadAnswer(UINT dataReadyMessage);

// For a service's data-ready message: copies the text out of its answer block, sets
// handled and returns true. Any other message, or a block that cannot be opened,
// leaves handled and text untouched and returns false.
bool ReadServiceAnswer(const MSG& message, bool& handled, std::wstring& text);

}  // namespace CustomPipes
