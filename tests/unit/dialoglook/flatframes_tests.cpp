// The flat look's colours and geometry, without windows.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "uikit/dialoglook/flatframes.h"

using namespace vt::flat;

namespace {

std::pair<int, int> Level(const FramePlan& p, int i) {
    return {p.levels[i].topLeft, p.levels[i].bottomRight};
}
using P = std::pair<int, int>;

TEST(FlatFrames, PushButtonsAreFlatWhenIdleAndRaisedWhenHotOrFocused) {
    // Idle: a one-pixel raised line, then the face.
    FramePlan idle = PushButtonPlan(0, false, false);
    ASSERT_EQ(idle.count, 3);
    EXPECT_EQ(Level(idle, 0), P(COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW));
    EXPECT_EQ(Level(idle, 1), P(COLOR_BTNFACE, COLOR_BTNFACE));
    EXPECT_EQ(Level(idle, 2), P(COLOR_BTNFACE, COLOR_BTNFACE));
    // Hot and focused look alike: the full 3-D border.
    for (int state : {int(kHot), int(kFocused), kHot | kFocused | kSmall}) {
        FramePlan hot = PushButtonPlan(state, false, false);
        EXPECT_EQ(Level(hot, 0), P(COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW)) << state;
        EXPECT_EQ(Level(hot, 1), P(COLOR_3DLIGHT, COLOR_BTNSHADOW)) << state;
    }
    // A pushed-in button is sunken, on two levels.
    FramePlan pushed = PushButtonPlan(kHot, false, true);
    ASSERT_EQ(pushed.count, 2);
    EXPECT_EQ(Level(pushed, 0), P(COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(Level(pushed, 1), P(COLOR_BTNSHADOW, COLOR_3DLIGHT));
    // The default button keeps its dark outline either way.
    EXPECT_EQ(Level(PushButtonPlan(0, true, false), 0), P(COLOR_3DDKSHADOW, COLOR_3DDKSHADOW));
    EXPECT_EQ(Level(PushButtonPlan(0, true, false), 1), P(COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW));
    EXPECT_EQ(Level(PushButtonPlan(kHot, true, false), 2), P(COLOR_3DLIGHT, COLOR_BTNSHADOW));
}

TEST(FlatFrames, TheInnerLevelOfBorderedControlsFollowsStateAndSize) {
    EXPECT_EQ(Level(GenericFramePlan(0, true), 0), P(COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(Level(GenericFramePlan(0, true), 1), P(COLOR_3DLIGHT, COLOR_3DLIGHT));
    EXPECT_EQ(Level(GenericFramePlan(kSmall, true), 1), P(COLOR_BTNHIGHLIGHT, COLOR_3DLIGHT));
    EXPECT_EQ(Level(GenericFramePlan(kFocused | kSmall, true), 1),
              P(COLOR_3DDKSHADOW, COLOR_3DLIGHT));
    EXPECT_EQ(Level(GenericFramePlan(kReadOnly, true), 1), P(COLOR_BTNFACE, COLOR_BTNFACE));
    EXPECT_EQ(Level(GenericFramePlan(0, false), 1), P(COLOR_BTNFACE, COLOR_BTNFACE));
    // A read-only edit under the mouse still shows it is hot.
    EXPECT_EQ(Level(GenericFramePlan(kReadOnly | kHot, true), 1),
              P(COLOR_3DDKSHADOW, COLOR_3DLIGHT));

    EXPECT_EQ(Level(ComboButtonPlan(0, true), 0), P(COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW));
    EXPECT_EQ(Level(ComboButtonPlan(kFocused, true), 0), P(COLOR_BTNFACE, COLOR_3DDKSHADOW));
    EXPECT_EQ(Level(ComboButtonPlan(kHot, false), 0), P(COLOR_BTNFACE, COLOR_BTNFACE));

    EXPECT_EQ(Level(CheckBoxPlan(0, true, BST_UNCHECKED), 1), P(COLOR_WINDOW, COLOR_WINDOW));
    EXPECT_EQ(Level(CheckBoxPlan(0, true, BST_INDETERMINATE), 1),
              P(COLOR_BTNHIGHLIGHT, COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(Level(CheckBoxPlan(0, false, BST_CHECKED), 1), P(COLOR_BTNFACE, COLOR_BTNFACE));
    EXPECT_EQ(Level(CheckBoxPlan(kHot, true, BST_CHECKED), 0),
              P(COLOR_3DDKSHADOW, COLOR_BTNHIGHLIGHT));
}

TEST(FlatFrames, ItemsAndTheUpDownLineOfAnEditFollowTheHotAndFocusedLook) {
    // Header items, toolbar buttons and tabs: raised, more so under the mouse.
    const FramePlan idle = ItemPlan(false);
    ASSERT_EQ(idle.count, 2);
    EXPECT_EQ(Level(idle, 0), P(COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW));
    EXPECT_EQ(Level(idle, 1), P(COLOR_BTNFACE, COLOR_BTNFACE));
    const FramePlan hot = ItemPlan(true);
    ASSERT_EQ(hot.count, 2);
    EXPECT_EQ(Level(hot, 0), P(COLOR_BTNHIGHLIGHT, COLOR_3DDKSHADOW));
    EXPECT_EQ(Level(hot, 1), P(COLOR_3DLIGHT, COLOR_BTNSHADOW));

    // The line along an edit's up-down control: dark while the edit is hot
    // or focused, light while idle, the face while disabled whatever else.
    EXPECT_EQ(UpDownLineColor(0, true), COLOR_BTNHIGHLIGHT);
    EXPECT_EQ(UpDownLineColor(kSmall | kReadOnly, true), COLOR_BTNHIGHLIGHT);
    EXPECT_EQ(UpDownLineColor(kHot, true), COLOR_3DDKSHADOW);
    EXPECT_EQ(UpDownLineColor(kFocused, true), COLOR_3DDKSHADOW);
    EXPECT_EQ(UpDownLineColor(kHot | kFocused, false), COLOR_BTNFACE);
}

TEST(FlatFrames, LinesAndPlacesGrowWithTheDpi) {
    EXPECT_EQ(FrameLine(96), 1);
    EXPECT_EQ(FrameLine(144), 2);
    EXPECT_EQ(FrameLine(192), 2);
    EXPECT_EQ(SmallHeight(96), 30);
    EXPECT_EQ(SmallHeight(144), 45);

    const RECT button = {0, 0, 100, 20};
    // Centred: the 13-pixel box in the middle of the height, at the left.
    EXPECT_EQ(CheckBoxRect(button, 0, 96).left, 0);
    EXPECT_EQ(CheckBoxRect(button, 0, 96).top, 3);
    EXPECT_EQ(CheckBoxRect(button, 0, 96).bottom - CheckBoxRect(button, 0, 96).top, 13);
    EXPECT_EQ(CheckBoxRect(button, BS_TOP, 96).top, 1);
    EXPECT_EQ(CheckBoxRect(button, BS_BOTTOM, 96).top, 20 - 15);
    EXPECT_EQ(CheckBoxRect(button, BS_TOP | BS_BOTTOM, 96).top, 3);  // both: centred
    EXPECT_EQ(CheckBoxRect(button, BS_RIGHTBUTTON, 96).left, 100 - 13);
    // At 150 %: a 19-pixel box, two pixels from the top.
    const RECT big = {0, 0, 150, 30};
    EXPECT_EQ(CheckBoxRect(big, 0, 144).right - CheckBoxRect(big, 0, 144).left, 19);
    EXPECT_EQ(CheckBoxRect(big, BS_TOP, 144).top, 2);

    EXPECT_EQ(RadioRect(button, 0, 96).left, 1);
    EXPECT_EQ(RadioRect(button, 0, 96).right - RadioRect(button, 0, 96).left, 12);
    EXPECT_EQ(RadioRect(button, BS_RIGHTBUTTON, 96).left, 100 - 12);
}

TEST(FlatFrames, TheRadioArcsMakeTwoWholeRings) {
    using A = RadioArc;
    std::set<std::pair<int, int>> seen;
    size_t total = 0;
    for (A arc : {A::OuterUpperLeft, A::InnerUpperLeft, A::InnerLowerRight, A::OuterLowerRight}) {
        for (POINT p : RadioArcPixels(arc)) {
            EXPECT_TRUE(p.x >= 0 && p.x < 12 && p.y >= 0 && p.y < 12);
            seen.insert({p.x, p.y});
            ++total;
        }
    }
    EXPECT_EQ(seen.size(), total) << "an arc overlaps another";
    // Outer ring 32 pixels, inner ring 28: a circle each, mirrored halves.
    EXPECT_EQ(RadioArcPixels(A::OuterUpperLeft).size() + RadioArcPixels(A::OuterLowerRight).size(),
              32u);
    EXPECT_EQ(RadioArcPixels(A::InnerUpperLeft).size() + RadioArcPixels(A::InnerLowerRight).size(),
              28u);
    for (POINT p : RadioArcPixels(A::OuterUpperLeft)) {
        EXPECT_TRUE(seen.count({11 - p.x, 11 - p.y})) << "no mirror of " << p.x << "," << p.y;
        EXPECT_LT(p.x + p.y, 11);
    }
    // Round, not square: the outer ring's top row and left column are its
    // four middle pixels, the inner ring starts one row down.
    std::set<int> topRow, leftColumn;
    for (A arc : {A::OuterUpperLeft, A::OuterLowerRight})
        for (POINT p : RadioArcPixels(arc)) {
            if (p.y == 0) topRow.insert(p.x);
            if (p.x == 0) leftColumn.insert(p.y);
        }
    EXPECT_EQ(topRow, (std::set<int>{4, 5, 6, 7}));
    EXPECT_EQ(leftColumn, (std::set<int>{4, 5, 6, 7}));
    for (A arc : {A::InnerUpperLeft, A::InnerLowerRight})
        for (POINT p : RadioArcPixels(arc)) EXPECT_TRUE(p.y >= 1 && p.y <= 10 && p.x >= 1);
    EXPECT_EQ(RadioArcColor(A::InnerUpperLeft, true, true), COLOR_3DDKSHADOW);
    EXPECT_EQ(RadioArcColor(A::InnerUpperLeft, false, false), COLOR_BTNFACE);
    EXPECT_EQ(RadioArcColor(A::OuterLowerRight, false, false), COLOR_BTNHIGHLIGHT);
}

TEST(FlatFrames, TheThumbFollowsPageAndPosition) {
    // No page: the system's thumb length, at the start, the middle, the end.
    ThumbSpan t = FlatThumbSpan(0, 100, 0, 0, 200, 17, 8);
    EXPECT_TRUE(t.shown);
    EXPECT_EQ(t.length, 17);
    EXPECT_EQ(t.offset, 0);
    EXPECT_EQ(FlatThumbSpan(0, 100, 0, 101, 200, 17, 8).offset, 200 - 17);
    // A page of a quarter: a quarter of the track; at the last position the
    // thumb ends at the track's end.
    t = FlatThumbSpan(0, 99, 25, 75, 200, 17, 8);
    EXPECT_EQ(t.length, 50);
    EXPECT_EQ(t.offset, 150);
    EXPECT_EQ(FlatThumbSpan(10, 109, 25, 10, 200, 17, 8).offset, 0);
    // Never shorter than the minimum.
    EXPECT_EQ(FlatThumbSpan(0, 9999, 1, 0, 200, 17, 8).length, 8);
    // A page covering everything: one pixel short of the track.
    t = FlatThumbSpan(0, 9, 10, 0, 200, 17, 8);
    EXPECT_TRUE(t.shown);
    EXPECT_EQ(t.length, 199);
    EXPECT_EQ(t.offset, 0);
    // An empty range, or a track too short for the thumb: no thumb.
    EXPECT_FALSE(FlatThumbSpan(0, 0, 0, 0, 200, 17, 8).shown);
    EXPECT_FALSE(FlatThumbSpan(5, 3, 0, 0, 200, 17, 8).shown);
    EXPECT_FALSE(FlatThumbSpan(0, 100, 0, 0, 10, 17, 8).shown);
    // A position outside the range stays on the track.
    EXPECT_EQ(FlatThumbSpan(0, 99, 25, -40, 200, 17, 8).offset, 0);

    EXPECT_EQ(ArrowLength(100, 17), 17);
    EXPECT_EQ(ArrowLength(30, 17), 15);
}

}  // namespace
