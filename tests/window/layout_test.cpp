#include "layout.h"

#include <gtest/gtest.h>

using namespace window;

namespace {

SIZE Size(const RECT& r) { return {r.right - r.left, r.bottom - r.top}; }

}  // namespace

TEST(Layout, At96DpiTheDesignIsTakenAsItIs) {
    const RECT r = PlaceControl({354, 373, 210, 25}, Anchoring::TopLeft, {571, 405}, {571, 433}, {});
    EXPECT_EQ(r.left, 354);
    EXPECT_EQ(r.top, 373);
    EXPECT_EQ(r.right, 564);
    EXPECT_EQ(r.bottom, 398);
}

TEST(Layout, PositionsAndSizesScaleWithTheDpi) {
    const LayoutScale scale{.dpi = 144};
    const RECT r = PlaceControl({48, 408, 145, 25}, Anchoring::TopLeft, {571, 405}, {856, 649}, scale);
    EXPECT_EQ(r.left, 72);
    EXPECT_EQ(r.top, 612);
    EXPECT_EQ(Size(r).cx, 218);  // 145 * 1.5 rounded
    EXPECT_EQ(Size(r).cy, 38);   // 25 * 1.5 rounded
    EXPECT_EQ(LayoutScale{.dpi = 120}.Y(13), 16);
    EXPECT_EQ(LayoutScale{.dpi = 192}.X(579), 1158);
}

TEST(Layout, AControlAnchoredOnAllSidesKeepsItsMarginsAsTheParentGrows) {
    // Memo2: 3, 33, 565 x 369 in a 571 x 405 page, 3 pixels from the right and bottom.
    const RECT designed = PlaceControl({3, 33, 565, 369}, Anchoring::AllSides, {571, 405}, {571, 405}, {});
    EXPECT_EQ(designed.right, 568);
    EXPECT_EQ(designed.bottom, 402);
    const RECT taller = PlaceControl({3, 33, 565, 369}, Anchoring::AllSides, {571, 405}, {571, 433}, {});
    EXPECT_EQ(taller.top, 33);
    EXPECT_EQ(taller.bottom, 430);
    EXPECT_EQ(taller.right, 568);
    const RECT wide = PlaceControl({3, 3, 565, 399}, Anchoring::AllSides, {571, 405}, {1000, 700}, {.dpi = 192});
    EXPECT_EQ(wide.left, 6);
    EXPECT_EQ(wide.right, 1000 - 6);
    EXPECT_EQ(wide.bottom, 700 - 6);
}

TEST(Layout, WideningLeavesTheMarginsOfAnAnchoredControl) {
    const LayoutScale scale{.dpi = 96, .widening = 1.25};
    const RECT r = PlaceControl({3, 3, 565, 399}, Anchoring::AllSides, {571, 405}, {714, 433}, scale);
    EXPECT_EQ(r.left, 3);
    EXPECT_EQ(r.right, 714 - 3);
    EXPECT_EQ(r.bottom, 433 - 3);
}

TEST(Layout, AnAnchoredControlNeverTurnsInsideOut) {
    const RECT r = PlaceControl({3, 33, 565, 369}, Anchoring::AllSides, {571, 405}, {20, 20}, {});
    EXPECT_GE(r.right, r.left);
    EXPECT_GE(r.bottom, r.top);
}

TEST(Layout, WideningStretchesOnlyAcross) {
    const LayoutScale scale{.dpi = 96, .widening = 1.1};
    const RECT r = PlaceControl({100, 100, 200, 20}, Anchoring::TopLeft, {571, 405}, {628, 433}, scale);
    EXPECT_EQ(r.left, 110);
    EXPECT_EQ(r.right, 330);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.bottom, 120);
}

TEST(Layout, WideningToFitIsOneWhenTheTextFitsAndTheRatioOtherwise) {
    EXPECT_DOUBLE_EQ(WideningToFit(250, 273, 96), 1.0);
    EXPECT_DOUBLE_EQ(WideningToFit(273, 273, 96), 1.0);
    EXPECT_DOUBLE_EQ(WideningToFit(300, 250, 96), 1.2);
    // At 144 DPI the room is 375 pixels.
    EXPECT_DOUBLE_EQ(WideningToFit(450, 250, 144), 1.2);
    EXPECT_DOUBLE_EQ(WideningToFit(10, 0, 96), 1.0);
}

TEST(RadioGroupLayout, ItemsShareTheHeightBelowTheCaptionAndFillTheWidth) {
    // RadioGroup2: 286 x 67, two items, a 13-pixel font.
    const RECT first = RadioGroupItemRect({286, 67}, 13, 2, 0, {});
    const RECT second = RadioGroupItemRect({286, 67}, 13, 2, 1, {});
    EXPECT_EQ(first.left, 8);
    EXPECT_EQ(first.right, 8 + 276);
    EXPECT_EQ(Size(first).cy, 24);  // (67 - 13 - 5) / 2
    EXPECT_EQ(first.top, 13 + 1 + 0);  // one pixel left over, split in two
    EXPECT_EQ(second.top, first.bottom);
    EXPECT_LE(second.bottom, 67);
}

TEST(RadioGroupLayout, OddPixelsAreSplitAboveAndBelow) {
    const RECT first = RadioGroupItemRect({269, 78}, 13, 2, 0, {});
    const RECT second = RadioGroupItemRect({269, 78}, 13, 2, 1, {});
    // 60 free pixels: 30 each, nothing left over.
    EXPECT_EQ(first.top, 14);
    EXPECT_EQ(Size(second).cy, 30);
    const RECT third = RadioGroupItemRect({269, 80}, 13, 3, 2, {});
    // 62 free: 20 each, 2 left, one above.
    EXPECT_EQ(third.top, 14 + 1 + 40);
}

TEST(Placement, CentresOnTheDesktopWithHalvesTruncatedTowardZero) {
    const POINT p = CentredOrigin({0, 0, 1280, 1024}, {595, 500});
    EXPECT_EQ(p.x, 640 - 297);
    EXPECT_EQ(p.y, 512 - 250);
    const POINT odd = CentredOrigin({0, 0, 1279, 1023}, {595, 499});
    EXPECT_EQ(odd.x, 639 - 297);
    EXPECT_EQ(odd.y, 511 - 249);
}

TEST(Placement, TheBoundingRectangleOfAllMonitorsCanStartLeftOfZero) {
    // A second monitor left of the primary one: desktop from -1920 to 1280.
    const POINT p = CentredOrigin({-1920, 0, 1280, 1024}, {600, 500});
    EXPECT_EQ(p.x, -1920 + 1600 - 300);
    EXPECT_EQ(p.y, 262);
}

TEST(Placement, AWindowLargerThanTheDesktopStartsAtItsTopLeftCorner) {
    const POINT p = CentredOrigin({-100, -50, 700, 550}, {1000, 900});
    EXPECT_EQ(p.x, -100);
    EXPECT_EQ(p.y, -50);
    const POINT wide = CentredOrigin({0, 0, 800, 600}, {1000, 100});
    EXPECT_EQ(wide.x, 0);
    EXPECT_EQ(wide.y, 250);
}
