#include "memo_text.h"

#include "win32.h"

#include <vector>

std::wstring MemoText(std::wstring_view text, bool underWine) {
    std::wstring shown(text);
    if (!underWine || shown.empty()) return shown;
    std::vector<WORD> types(shown.size());
    if (!::GetStringTypeW(CT_CTYPE3, shown.data(), static_cast<int>(shown.size()), types.data())) return shown;
    for (size_t i = 0; i < shown.size(); ++i) {
        if (types[i] & C3_NONSPACING) shown[i] = L'\u25CC';
    }
    return shown;
}
