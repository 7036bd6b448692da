#include "error_text.h"

namespace window {

std::wstring ErrorDisplayText(std::wstring text) {
    if (!text.empty() && text.back() > L'.') text += L'.';
    return text;
}

}  // namespace window
