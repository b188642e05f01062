// The supported programs of other vendors, tried in a fixed order when a
// folder is chosen over one of their windows.
#pragma once
#include <string>

#include "framework/wnd.h"

namespace vt::nav {

// Tries Pixdrove, WinZip, PowerArchiver, SmartFTP, FileZilla and Visual Studio
// 2005 in this order; the first whose window and controls are found acts.
// True when one acted. owner is the window that owns shell calls.
bool NavigateSupportedProgram(CWnd target, const std::string& path, HWND owner);

}  // namespace vt::nav
