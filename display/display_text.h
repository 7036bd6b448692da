// Text a peer wrote, made safe to show to a person: in a terminal (varnel-monitor's
// lines) or in a window's controls (the sample server's log). Any program on the
// desktop can write a block, so what it holds must not act on the display.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace display {

// Every character that would act on a terminal or a text control instead of being
// seen is written as its code: control characters other than tab (below U+0020, U+007F
// and U+0080 to U+009F) as "\x1B", format characters (bidirectional overrides and
// isolates, zero-width characters, the byte-order mark) and lone surrogates as
// "\u202E". Everything else, a backslash too, stays as it is.
std::wstring EscapeControls(std::wstring_view text);

// Wine's text layout has crashed on stacked combining marks (in an edit control with
// Tahoma, seen with U+0772 U+005D U+05B2): each character the system types as
// non-spacing becomes "◌", the rest stays as it is.
constexpr wchar_t kMarkPlaceholder = L'\u25CC';
std::wstring MarksAsPlaceholders(std::wstring_view text);

constexpr size_t kMaxDisplayCharacters = 400;

// For a window's controls: EscapeControls, and MarksAsPlaceholders, also for the marks
// of the combining blocks whatever the system's tables say; text longer
// than maxCharacters is cut, never inside a surrogate pair or an escape, and ends in "…".
std::wstring SafeForDisplay(std::wstring_view text, size_t maxCharacters = kMaxDisplayCharacters);

}  // namespace display
