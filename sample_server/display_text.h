// Making text from a request safe to put into the server's controls.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sample_server {

constexpr size_t kMaxDisplayCharacters = 400;

// A request may hold anything. Wine's text layout has crashed on stacked combining
// marks, so non-spacing and enclosing marks become "◌", control and format characters
// (bidirectional overrides included) and lone surrogates become "�", and text longer
// than maxCharacters is cut, never inside a surrogate pair, and ends in "…".
std::wstring SafeForDisplay(std::wstring_view text, size_t maxCharacters = kMaxDisplayCharacters);

}  // namespace sample_server
