// Drawing helpers of the flat-look controls: frame plans (flatframes.h) put
// on a device context, a flat scroll bar, and the few window facts the
// controls ask for. The colours all come from flatframes.h.
#pragma once
#include <windows.h>

#include "uikit/dialoglook/flatframes.h"

namespace vt::flat {

LONG_PTR StyleOf(HWND w);
bool HasClientEdge(HWND w);
// Whether the window's class is name, ignoring case.
bool ClassIs(HWND w, const char* name);

// One level of the frame: top and left lines in one colour, right and
// bottom lines in the other, each line pixels wide.
void DrawLevel(HDC dc, const RECT& r, int topLeft, int bottomRight, int line);
// Every level of a plan, from the outside in.
void DrawPlan(HDC dc, const RECT& r, const FramePlan& plan, int line);
// A flat scroll bar in bar (window coordinates): two arrow buttons and the
// thumb, each drawn like a combo box's button.
void DrawFlatBar(HDC dc, const RECT& bar, bool vertical, const SCROLLINFO& si, int state,
                 bool enabled, int dpi);
// A SCROLLINFO that asks for everything.
SCROLLINFO FullScrollInfo();

// The screen rectangle of child in parent's window coordinates.
RECT RectIn(HWND child, HWND parent);
// Where a window's client area starts, in its window rectangle's coordinates.
POINT ClientOffset(HWND w);
// The up-down control that follows an edit and is attached to it, if any.
HWND BuddyUpDown(HWND edit);

// The item of a header or tab control at a screen point (HitInfo: the
// control's hit-test record, message: its hit-test message), -1 for none.
template <class HitInfo>
int ItemAt(HWND w, UINT message, POINT screen) {
    HitInfo hit = {};
    hit.pt = screen;
    ScreenToClient(w, &hit.pt);
    return static_cast<int>(SendMessageA(w, message, 0, reinterpret_cast<LPARAM>(&hit)));
}

}  // namespace vt::flat
