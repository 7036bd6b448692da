#include "error_text.h"

std::wstring ErrorDisplayText(std::wstring text) {
    if (!text.empty() && text.back() > L'.') text += L'.';
    return text;
}
