// The supported programs of other vendors, tried in a fixed order when a
// folder is chosen over one of their windows.
#pragma once
#include <string>

#include "framework/wnd.h"
#include "navigation/driver.h"
#include "navigation/recognise.h"

namespace vt::nav {

// Tries Pixdrove, WinZip, PowerArchiver, SmartFTP, FileZilla and Visual Studio
// 2005 in this order; the first whose window and controls are found acts.
// True when one acted. owner is the window that owns shell calls. The program
// is waited for as long as the patience lasts (TargetDriver); one that does
// not answer in that time, or is hung, gets nothing more.
bool NavigateSupportedProgram(CWnd target, const std::string& path, HWND owner,
                              UINT patienceMs = kNavigationPatienceMs);
// The same with the target's descendants shared with the other recognisers.
bool NavigateSupportedProgram(DescendantClasses& tree, const std::string& path, HWND owner,
                              UINT patienceMs = kNavigationPatienceMs);

// One action per program. Each first checks that the target belongs to the
// installed program and has the controls the action needs; false (nothing
// sent) when it does not, true once the action has begun. Pixdrove is
// driven through the shell and needs no driver.
bool NavigatePixdrove(CWnd target, const std::string& path, HWND owner);
bool NavigateDevenv(TargetDriver& driver, CWnd target, const std::string& path);
// The same, with the walk shared by the recognisers of one navigation.
bool NavigatePixdrove(DescendantClasses& tree, const std::string& path, HWND owner);
bool NavigateWinZip(TargetDriver& driver, DescendantClasses& tree, const std::string& path);
bool NavigatePowerArchiver(TargetDriver& driver, DescendantClasses& tree, const std::string& path);
bool NavigateSmartFtp(TargetDriver& driver, DescendantClasses& tree, const std::string& path);
bool NavigateFileZilla(TargetDriver& driver, DescendantClasses& tree, const std::string& path);

// Pixdrove's command line for browsing a folder: /browse "<path>", with one
// trailing backslash dropped unless the path is a drive root ("C:\") - a
// backslash before the closing quote would escape it.
std::string PixdroveBrowseParameters(const std::string& path);

// Which of FileZilla's two path boxes is the local one, from their texts (a
// disabled empty box is passed as "/"): the box beside the one holding a
// remote path, which starts with "/".
enum class FileZillaBox { None, First, Second };
FileZillaBox ChooseFileZillaBox(const std::string& firstText, const std::string& secondText);

// A system-wide Enter key press through the input queue; it reaches whichever
// window has the keyboard focus.
void SynthesizeEnter();

}  // namespace vt::nav
