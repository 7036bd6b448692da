#include "memo_text.h"

#include "display_text.h"

namespace window {

std::wstring MemoText(std::wstring_view text, bool underWine) {
    if (!underWine) return std::wstring(text);
    return display::MarksAsPlaceholders(text);
}

}  // namespace window
