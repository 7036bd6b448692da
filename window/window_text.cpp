#include "window_text.h"

#include "gdi_handles.h"

#include <algorithm>

namespace window {

std::wstring TextOf(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(std::max(copied, 0)));
    return text;
}

SIZE TextExtent(HWND window, std::wstring_view text) {
    const WindowDc dc(window);
    if (!dc.Get()) return {};
    // A window's device context comes with the system font, not the one the control draws with.
    const SelectedObject selected(dc.Get(), reinterpret_cast<HGDIOBJ>(::SendMessageW(window, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc.Get(), &metrics);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc.Get(), text.data(), static_cast<int>(text.size()), &extent);
    return {extent.cx, metrics.tmHeight};
}

}  // namespace window
