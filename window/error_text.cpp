#include "error_text.h"

std::wstring ErrorDisplayText(std::wstring text) {
    if (!text.empty() && text.back() > L'.') text += L'.';
    return text;
}

std::wstring SystemErrorText(const std::wstring& what, DWORD error) {
    return what + L" (system error " + std::to_wstring(error) + L")";
}
