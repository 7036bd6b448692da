// Geometry of the main window: the 96-DPI design scaled to the monitor, anchors, the
// arrangement of radio-group items and the placement at first showing. No window
// handles here, so all of it is tested directly.
#pragma once

#include "win32.h"

namespace window {

// A control's place in its parent's client area at 96 DPI. A width of 0 means the
// control takes the size of its text (labels).
struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

enum class Anchoring {
    TopLeft,   // keeps its place and size
    AllSides,  // keeps its distances to all four sides of the parent
};

constexpr UINT kDesignDpi = 96;

// Spacings of the design (96 DPI).
constexpr int kParentEdgeMargin = 3;      // a caption's room ends this far before its parent's right edge
constexpr int kGroupCaptionIndent = 8;    // a group's caption from its left edge; the frame line shows as much after it
constexpr int kRadioCheckRoom = 18;       // a radio button's circle and the gap before its caption
constexpr int kPushButtonEdges = 16;      // a push button's edges left and right of its caption
constexpr int kRadioGroupItemsLeft = 8;   // a radio group's items from its left edge
constexpr int kRadioGroupItemsRight = 2;  // and from its right edge
constexpr int kRadioGroupItemsBelow = 5;  // free below a radio group's last item
constexpr int kDropDownListHeight = 120;  // a drop-down box's list below its edit part

// value (at 96 DPI) in pixels at dpi, rounded to nearest.
int Scale(int value, UINT dpi);

// How the 96-DPI design maps to pixels: by the monitor's DPI, and across by a further
// factor (at least 1) when the font on this system writes the captions wider than the
// font the window was designed with.
struct LayoutScale {
    UINT dpi = kDesignDpi;
    double widening = 1.0;

    int X(int value) const;  // a horizontal position or width
    int Y(int value) const;  // a vertical position or height
};

// The smallest widening at which text of textWidth pixels fits in room, a width of
// the design (96 DPI) that scales with the layout; 1 when it fits already.
double WideningToFit(int textWidth, int room, UINT dpi);

// A control's rectangle in pixels. designParent: the parent's client size the bounds
// were designed for (96 DPI); parentClient: the parent's client size now (pixels).
RECT PlaceControl(const Bounds& bounds, Anchoring anchoring, SIZE designParent, SIZE parentClient,
                  const LayoutScale& scale);

// The rectangle of item index of a one-column radio group of groupClient size: items
// share the height below the caption line equally, full width less the frame.
// textHeight: the height of the group's font (pixels).
RECT RadioGroupItemRect(SIZE groupClient, int textHeight, int itemCount, int index, const LayoutScale& scale);

// The top-left corner that centres a window of windowSize on the desktop (the bounding
// rectangle of all monitors), halves truncated toward zero, never above or left of the
// desktop's top-left corner.
POINT CentredOrigin(const RECT& desktop, SIZE windowSize);

}  // namespace window
