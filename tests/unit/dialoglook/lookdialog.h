// A dialog of the look tests: a template of dialoglook_tests.rc, shown by
// the framework, that runs code on its own thread on request.
#pragma once
#define IDD_LOOK_CONTROLS 300
#define IDD_LOOK_FIVE 301
#define IDD_LOOK_TAHOMA 302
#define IDC_LOOK_COMBO 1001
#define IDC_LOOK_EDIT 1002
#define IDC_LOOK_CHECK 1003
#define IDC_LOOK_ONE 1004
#define IDC_LOOK_TWO 1005
#define IDC_LOOK_ICON 1006
#define IDC_LOOK_TEXT 1007
#define IDC_LOOK_B1 1008
#define IDC_LOOK_B2 1009
#define IDC_LOOK_B3 1010

#ifndef RC_INVOKED
#include <windows.h>

#include <functional>

#include "framework/dialog.h"

namespace looktest {

class CLookDialog : public vt::CDialog {
public:
    explicit CLookDialog(UINT templateId);
};

// Runs f on the thread of window's dialog (one made by CLookDialog) and
// waits for it.
void RunOn(HWND dialog, const std::function<void()>& f);

// The colour of a pixel of a window, in window coordinates.
COLORREF PixelOf(HWND w, int x, int y);
// Waits until the pixel has the system colour.
bool WaitForPixel(HWND w, int x, int y, int sysColor, DWORD timeoutMs = 5000);
// Puts the mouse on a window's centre, or on a point of the screen.
void MouseOnto(HWND w);
void MouseTo(int x, int y);

}  // namespace looktest
#endif
