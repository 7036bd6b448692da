#include "layout.h"

#include <algorithm>
#include <cmath>

namespace window {

int Scale(int value, UINT dpi) { return ::MulDiv(value, static_cast<int>(dpi), static_cast<int>(kDesignDpi)); }

int LayoutScale::X(int value) const {
    return static_cast<int>(std::lround(value * widening * dpi / kDesignDpi));
}

int LayoutScale::Y(int value) const { return Scale(value, dpi); }

double WideningToFit(int textWidth, int room, UINT dpi) {
    const int roomPixels = Scale(room, dpi);
    if (roomPixels <= 0 || textWidth <= roomPixels) return 1.0;
    return static_cast<double>(textWidth) / roomPixels;
}

RECT PlaceControl(const Bounds& bounds, Anchoring anchoring, SIZE designParent, SIZE parentClient,
                  const LayoutScale& scale) {
    RECT r{};
    r.top = scale.Y(bounds.top);
    if (anchoring == Anchoring::AllSides) {
        // The margins are what scales, with the DPI alone: they are borders, which
        // wider captions do not need. The size follows the parent.
        r.left = scale.Y(bounds.left);
        const int rightMargin = scale.Y(designParent.cx - bounds.left - bounds.width);
        const int bottomMargin = scale.Y(designParent.cy - bounds.top - bounds.height);
        r.right = std::max<LONG>(r.left, parentClient.cx - rightMargin);
        r.bottom = std::max<LONG>(r.top, parentClient.cy - bottomMargin);
    } else {
        r.left = scale.X(bounds.left);
        r.right = scale.X(bounds.left + bounds.width);
        r.bottom = r.top + scale.Y(bounds.height);
    }
    return r;
}

RECT RadioGroupItemRect(SIZE groupClient, int textHeight, int itemCount, int index, const LayoutScale& scale) {
    // The caption line takes the font's height; what is left below it, less a small
    // bottom margin, is shared by the items, the odd pixels split above and below.
    const int free = std::max(0, static_cast<int>(groupClient.cy) - textHeight - scale.Y(kRadioGroupItemsBelow));
    const int count = std::max(1, itemCount);
    const int itemHeight = free / count;
    const int topMargin = textHeight + 1 + (free % count) / 2;
    RECT r{};
    r.left = scale.X(kRadioGroupItemsLeft);
    const int frame = scale.X(kRadioGroupItemsLeft + kRadioGroupItemsRight);
    r.right = r.left + std::max(0, static_cast<int>(groupClient.cx) - frame);
    r.top = topMargin + index * itemHeight;
    r.bottom = r.top + itemHeight;
    return r;
}

POINT CentredOrigin(const RECT& desktop, SIZE windowSize) {
    const LONG desktopWidth = desktop.right - desktop.left;
    const LONG desktopHeight = desktop.bottom - desktop.top;
    // Integer division truncates toward zero, which is the rule for each halving.
    LONG left = desktop.left + desktopWidth / 2 - windowSize.cx / 2;
    LONG top = desktop.top + desktopHeight / 2 - windowSize.cy / 2;
    left = std::max(left, desktop.left);
    top = std::max(top, desktop.top);
    return {left, top};
}

}  // namespace window
