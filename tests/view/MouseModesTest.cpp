// The panning and click rules, where the widget tests cannot reach the edges
// cheaply.

#include "view/MouseModes.h"

#include <gtest/gtest.h>

namespace {

ScrollState laidOut(int pw, int ph, int cw = 800, int ch = 600) {
    ScrollState s;
    s.layout(pw, ph, cw, ch);
    return s;
}

}  // namespace

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
