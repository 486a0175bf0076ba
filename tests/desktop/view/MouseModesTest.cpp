#include "view/MouseModes.h"

#include <gtest/gtest.h>

namespace {

ScrollState laidOut(int pw, int ph, int cw = 800, int ch = 600) {
    ScrollState s;
    s.layout(pw, ph, cw, ch);
    return s;
}

}  // namespace

TEST(ScrollLayout, RangesAreHowFarThePictureExceedsTheClientArea) {
    const ScrollState small = laidOut(200, 150);
    EXPECT_EQ(small.scrollRangeX, 0);
    EXPECT_EQ(small.scrollRangeY, 0);
    EXPECT_FALSE(small.canPan());

    const ScrollState wide = laidOut(3000, 500);
    EXPECT_EQ(wide.scrollRangeX, 2200);
    EXPECT_EQ(wide.scrollRangeY, 0);
    EXPECT_TRUE(wide.canPan());

    const ScrollState exact = laidOut(800, 600);
    EXPECT_EQ(exact.scrollRangeX, 0);
    EXPECT_EQ(exact.scrollRangeY, 0);
}

TEST(ScrollLayout, EveryLayoutReturnsToTheTopLeftCorner) {
    ScrollState s = laidOut(3000, 3000);
    DragTracker drag;
    drag.press({500, 500}, true);
    drag.move({100, 200}, s);
    ASSERT_EQ(s.scrollX, 400);
    ASSERT_EQ(s.scrollY, 300);
    s.layout(3000, 3000, 700, 500);
    EXPECT_EQ(s.scrollX, 0);
    EXPECT_EQ(s.scrollY, 0);
    EXPECT_EQ(s.scrollRangeX, 2300);
}

TEST(Panning, FollowsTheMouseAndIsClampedToTheRanges) {
    ScrollState s = laidOut(3000, 500);
    DragTracker drag;
    drag.press({700, 300}, true);
    drag.move({600, 300}, s);  // mouse left: later columns
    EXPECT_EQ(s.scrollX, 100);
    drag.move({800, 300}, s);  // past the left edge of the picture
    EXPECT_EQ(s.scrollX, 0);
    drag.move({0, 0}, s);  // vertical range 0 keeps row 0
    EXPECT_EQ(s.scrollX, 800);
    EXPECT_EQ(s.scrollY, 0);
    drag.move({-5000, 0}, s);
    EXPECT_EQ(s.scrollX, 2200);
    EXPECT_EQ(drag.lastPoint, (Point{-5000, 0}));
}

TEST(DragTracker, PressOnlyWhereTheStateAcceptsIt) {
    ScrollState s = laidOut(3000, 3000);
    DragTracker drag;
    drag.press({10, 10}, false);
    EXPECT_FALSE(drag.dragging);
    EXPECT_FALSE(drag.move({0, 0}, s));  // moves without a drag pan nothing
    EXPECT_EQ(s.scrollX, 0);
    drag.press({10, 10}, true);
    EXPECT_TRUE(drag.dragging);
    drag.press({20, 20}, true);  // a second press while dragging changes nothing
    EXPECT_EQ(drag.pressPoint, (Point{10, 10}));
    EXPECT_EQ(drag.lastPoint, (Point{10, 10}));
}

TEST(DragTracker, ClickOnlyWithoutAnyMoveAndOnlyWhilePlacing) {
    ScrollState s = laidOut(3000, 3000);
    DragTracker drag;

    drag.press({50, 50}, true);
    EXPECT_EQ(drag.release({50, 50}, true, s), DragTracker::Release::Click);
    EXPECT_FALSE(drag.dragging);

    drag.press({50, 50}, true);
    drag.move({51, 50}, s);  // one pixel turns it into a drag
    EXPECT_EQ(drag.release({51, 50}, true, s), DragTracker::Release::DragEnd);

    // Outside placement a press-release in place pans by zero.
    drag.press({50, 50}, true);
    EXPECT_EQ(drag.release({50, 50}, false, s), DragTracker::Release::DragEnd);
    EXPECT_EQ(s.scrollX, 0);

    // The release of a drag pans to its position.
    drag.press({300, 300}, true);
    EXPECT_EQ(drag.release({100, 250}, false, s), DragTracker::Release::DragEnd);
    EXPECT_EQ(s.scrollX, 200);
    EXPECT_EQ(s.scrollY, 50);

    EXPECT_EQ(drag.release({0, 0}, true, s), DragTracker::Release::Ignored);
}

TEST(Placement, ClicksInsideTheMapRectangleOnly) {
    PlacementMode mode;
    mode.placedPoints.Add({7, 7});
    mode.begin();
    EXPECT_TRUE(mode.placing);
    EXPECT_EQ(mode.placedPoints.GetSize(), 0);

    EXPECT_TRUE(mode.click({0, 0}, 200, 150));
    EXPECT_TRUE(mode.click({199, 149}, 200, 150));
    EXPECT_FALSE(mode.click({200, 10}, 200, 150));
    EXPECT_FALSE(mode.click({10, 150}, 200, 150));
    EXPECT_FALSE(mode.click({-1, 10}, 200, 150));
    ASSERT_EQ(mode.placedPoints.GetSize(), 2);
    EXPECT_EQ(mode.placedPoints[1], (Point{199, 149}));

    mode.end();
    EXPECT_FALSE(mode.placing);
    EXPECT_EQ(mode.placedPoints.GetSize(), 2);
}
