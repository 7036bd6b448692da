#include "display_text.h"

#include "win32.h"

#include <algorithm>

namespace sample_server {

namespace {

bool IsHigh(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The combining blocks, listed outright so the result does not depend on how complete
// the system's character tables are.
bool IsCombiningMark(wchar_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x0483 && c <= 0x0489) || (c >= 0x0591 && c <= 0x05BD) ||
           (c >= 0x0610 && c <= 0x061A) || (c >= 0x064B && c <= 0x065F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
           (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) || (c >= 0xFE20 && c <= 0xFE2F);
}

bool IsControlOrFormat(wchar_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB);
}

bool IsNonSpacingBySystem(wchar_t c) {
    WORD type = 0;
    return ::GetStringTypeW(CT_CTYPE3, &c, 1, &type) && (type & C3_NONSPACING);
}

}  // namespace

std::wstring SafeForDisplay(std::wstring_view text, size_t maxCharacters) {
    std::wstring out;
    out.reserve(std::min(text.size(), maxCharacters) + 1);
    for (size_t i = 0; i < text.size(); ++i) {
        if (out.size() >= maxCharacters) {
            out += L'\u2026';
            break;
        }
        const wchar_t c = text[i];
        if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
            if (out.size() + 2 > maxCharacters) {
                out += L'\u2026';
                break;
            }
            out += c;
            out += text[++i];
        } else if (IsHigh(c) || IsLow(c) || IsControlOrFormat(c)) {
            out += L'\uFFFD';
        } else if (IsCombiningMark(c) || IsNonSpacingBySystem(c)) {
            out += L'\u25CC';
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace sample_server
