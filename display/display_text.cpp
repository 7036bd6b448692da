#include "display_text.h"

#include "utf16.h"
#include "win32.h"

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <vector>

namespace display {

namespace {

using CustomPipes::IsHighSurrogate;
using CustomPipes::IsLowSurrogate;

// A tab moves the cursor as a space would; every other control can overwrite or
// hide what was shown before it.
bool IsControlOrFormat(wchar_t c) {
    return (c < 0x20 && c != L'\t') || (c >= 0x7F && c <= 0x9F) || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB);
}

// The combining blocks, listed outright so the result does not depend on how complete
// the system's character tables are.
bool IsCombiningMark(wchar_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x0483 && c <= 0x0489) || (c >= 0x0591 && c <= 0x05BD) ||
           (c >= 0x0610 && c <= 0x061A) || (c >= 0x064B && c <= 0x065F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
           (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

// Which units of text the system types as non-spacing marks; none where it cannot tell.
std::vector<bool> NonSpacingBySystem(std::wstring_view text) {
    std::vector<bool> marks(text.size(), false);
    if (text.empty()) return marks;
    std::vector<WORD> types(text.size());
    if (!::GetStringTypeW(CT_CTYPE3, text.data(), static_cast<int>(text.size()), types.data())) return marks;
    for (size_t i = 0; i < text.size(); ++i) marks[i] = (types[i] & C3_NONSPACING) != 0;
    return marks;
}

// The character that starts at text[at] as EscapeControls shows it: one or two units
// of text (a surrogate pair) taken.
struct Shown {
    std::wstring text;
    size_t taken = 1;
};

Shown ShowCharacter(std::wstring_view text, size_t at) {
    const wchar_t c = text[at];
    if (IsHighSurrogate(c) && at + 1 < text.size() && IsLowSurrogate(text[at + 1])) return {std::wstring(text.substr(at, 2)), 2};
    if (IsHighSurrogate(c) || IsLowSurrogate(c) || IsControlOrFormat(c)) {
        wchar_t code[8];
        std::swprintf(code, std::size(code), c < 0x100 ? L"\\x%02X" : L"\\u%04X", static_cast<unsigned>(c));
        return {code, 1};
    }
    return {std::wstring(1, c), 1};
}

}  // namespace

std::wstring EscapeControls(std::wstring_view text) {
    std::wstring out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const Shown shown = ShowCharacter(text, i);
        out += shown.text;
        i += shown.taken;
    }
    return out;
}

std::wstring MarksAsPlaceholders(std::wstring_view text) {
    std::wstring shown(text);
    const std::vector<bool> marks = NonSpacingBySystem(shown);
    for (size_t i = 0; i < shown.size(); ++i) {
        if (marks[i]) shown[i] = kMarkPlaceholder;
    }
    return shown;
}

std::wstring SafeForDisplay(std::wstring_view text, size_t maxCharacters) {
    // No more than maxCharacters + 1 units are ever looked at: each gives at least one
    // character, and one more than fits ends the text.
    const std::vector<bool> marks = NonSpacingBySystem(text.substr(0, maxCharacters + 1));
    std::wstring out;
    out.reserve(std::min(text.size(), maxCharacters) + 1);
    for (size_t i = 0; i < text.size();) {
        Shown shown = ShowCharacter(text, i);
        const bool mark = IsCombiningMark(shown.text[0]) || (i < marks.size() && marks[i]);
        if (shown.text.size() == 1 && mark) shown.text = kMarkPlaceholder;
        if (out.size() + shown.text.size() > maxCharacters) {
            out += L'\u2026';
            break;
        }
        out += shown.text;
        i += shown.taken;
    }
    return out;
}

}  // namespace display
