// The flat look of dialog controls without visual styles, as plain
// functions: which system colours each frame level gets for a control's
// state, where a check box's box and a radio button's circle lie, and where
// the thumb of a flat scroll bar goes. The flat-look controls draw with them,
// and every colour they draw comes from here.
//
// A frame is drawn from the outside in: level 1 on the rectangle itself,
// level 2 one line inside it, level 3 two lines inside. Each level has a
// top-left colour (top and left lines) and a bottom-right colour (right and
// bottom lines). At 96 DPI a line is one pixel; it grows with the DPI as the
// menus' frames do.
#pragma once
#include <windows.h>

#include <vector>

namespace vt::flat {

// Bits of a managed control's state.
enum StateBits {
    kHot = 1,       // the mouse is over it
    kSmall = 2,     // less than 30 pixels (at 96 DPI) high
    kFocused = 4,   // it has the keyboard focus
    kReadOnly = 8,  // a read-only edit
};

// A frame level's two system colours (COLOR_...).
struct FrameLevel {
    int topLeft;
    int bottomRight;
};

struct FramePlan {
    FrameLevel levels[3] = {};
    int count = 0;
};

// Any control with a border: edits, list boxes, tree and list views, combo
// boxes (before their button).
FramePlan GenericFramePlan(int state, bool enabled);
// A combo box's drop-down button, a scroll bar's arrows and thumb, an
// up-down control's halves.
FramePlan ComboButtonPlan(int state, bool enabled);
// isDefault: BS_DEFPUSHBUTTON and enabled; pushed: BM_GETCHECK non-zero.
FramePlan PushButtonPlan(int state, bool isDefault, bool pushed);
// check: BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
FramePlan CheckBoxPlan(int state, bool enabled, int check);
// A header item, a toolbar button or a tab: raised, more so under the mouse.
FramePlan ItemPlan(bool hot);
// The line an edit draws along the top (and left side) of the up-down
// control attached to it, for the edit's state.
int UpDownLineColor(int state, bool enabled);

// Width of one frame line at a DPI.
int FrameLine(int dpi);
// Height under which a control counts as small.
int SmallHeight(int dpi);

// The check box's box, or the radio button's circle, inside a button's
// window rectangle (style: the button's BS_TOP, BS_BOTTOM, BS_RIGHTBUTTON).
RECT CheckBoxRect(const RECT& window, LONG_PTR style, int dpi);
RECT RadioRect(const RECT& window, LONG_PTR style, int dpi);

// The four arcs of a radio button's circle, in pixels of a 12 x 12 grid at
// 96 DPI. Together they are the outer and the inner ring of the circle.
enum class RadioArc { OuterUpperLeft, InnerUpperLeft, InnerLowerRight, OuterLowerRight };
std::vector<POINT> RadioArcPixels(RadioArc arc);
// System colour of an arc: hot, enabled.
int RadioArcColor(RadioArc arc, bool hot, bool enabled);

// Where a flat scroll bar's thumb lies along its track.
struct ThumbSpan {
    bool shown = false;
    int offset = 0;  // from the start of the track
    int length = 0;
};
// min, max, page, pos as SCROLLINFO has them; track: the length between the
// two arrow buttons; defaultLength: SM_CXHTHUMB (the thumb of a bar without
// a page size); minLength: the shortest thumb.
ThumbSpan FlatThumbSpan(int min, int max, UINT page, int pos, int track, int defaultLength,
                        int minLength);
// The length of each arrow button of a bar: a square of the bar's
// thickness, or half the bar when two do not fit.
int ArrowLength(int barLength, int thickness);

}  // namespace vt::flat
