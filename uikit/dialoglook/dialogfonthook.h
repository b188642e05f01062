// The dialog font hook. Systems older than Vista (and server editions) give
// dialogs the old "MS Sans Serif" look; there every dialog shown on the GUI
// thread, the system's folder browser and file dialog included, is given
// "Tahoma": controls keep their font's height and weight and only change
// face, and controls without a font get a shared "Tahoma" 8.5-point font.
// Message boxes and colour dialogs keep their look. On newer workstations
// nothing is installed.
//
// The state (face name, shared font, the dialog watcher with its hook and
// the dialogs it follows, and the fonts made for each) is process-wide and
// touched only on the GUI thread.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "uikit/dialoglook/dialogwatcher.h"

namespace vt {

// What the decision needs to know about the running system.
struct WindowsVersionFacts {
    bool read = false;     // false when the extended version record could not be read
    DWORD platformId = 0;  // VER_PLATFORM_WIN32_NT for the NT family
    BYTE productType = 0;  // VER_NT_WORKSTATION, VER_NT_SERVER, VER_NT_DOMAIN_CONTROLLER
    DWORD majorVersion = 0;
};

// The running system's facts, from GetVersionEx with the extended record.
WindowsVersionFacts ReadWindowsVersion();
// True unless the system is an NT-family workstation of major version 6
// or higher. A system whose version cannot be read is taken as an old one.
bool DialogFontHookNeeded(const WindowsVersionFacts& facts);

// Installs the hook on the calling thread when the system needs it (a
// second call starts over with the new face and size). size is in tenths
// of a point.
void InstallDialogFontHook(const char* face, int size);
// The hook's answer to a dialog's WM_INITDIALOG (before the dialog handles
// it): follows every dialog but message boxes and colour dialogs.
void DialogFontHookProc(HWND dialog);
// A followed dialog's message: passed on, and after WM_INITDIALOG the
// controls get the face.
LRESULT DialogFontWndProc(CDialogWatcher::CFollowed& dialog, UINT message, WPARAM wParam,
                          LPARAM lParam);

// A message box: a "#32770" window whose descendants are one icon static,
// one text static and one to four buttons, nothing else.
bool IsMessageBoxWindow(HWND window);
// The system's colour dialog: a "#32770" window with the colour boxes and
// the colour spectrum of its template.
bool IsColorDialogWindow(HWND window);

// Counts a message box's descendants by kind (see IsMessageBoxWindow).
struct MessageBoxCensus {
    int iconStatics = 0;   // "Static" with either of the two lowest style bits set
    int otherStatics = 0;  // any other "Static"
    int buttons = 0;
    int others = 0;  // windows of any other class
};
// Counts one window; false once the census can no longer be a message box
// (the walk stops there).
bool CountMessageBoxWindow(MessageBoxCensus& census, const char* className, LONG_PTR style);
bool IsMessageBoxCensus(const MessageBoxCensus& census);

// For tests and diagnosis: whether the hook is installed on some thread,
// the face it gives, the shared font, whether a dialog is subclassed, and the
// fonts made for a dialog's controls (owned by the hook).
bool IsDialogFontHookInstalled();
std::string DialogFontFace();
HFONT DialogFontSharedFont();
bool IsDialogFontSubclassed(HWND dialog);
std::vector<HFONT> DialogFontsOf(HWND dialog);

}  // namespace vt
