// Driving an Explorer folder window to a folder in place. Two roads, in this
// order: the shell's own list of its windows (the entry of the target window,
// and on Windows 11 of its active tab), then the address bar as a user drives
// it (explorerbar.h). An Explorer window that neither road can reach is left
// as it is: the shell is never asked to open a second window instead.
#pragma once
#include <windows.h>

#include <string>

#include "navigation/driver.h"
#include "navigation/recognise.h"
#include "navigation/shellwindows.h"

namespace vt::nav {

// How long the shell's list may take to find the window and hand it the
// folder. Explorer answers within milliseconds; one that is busy (listing a
// slow network folder) or gone must not hold the navigation.
inline constexpr DWORD kShellWindowsPatienceMs = 4000;

enum class ShellRoute {
    Navigated,  // the entry took the folder
    NotListed,  // no list, the window is not in it, or its active tab cannot be told
    Refused,    // the entry was found but did not take the folder
    NoAnswer,   // the folder was asked for and the shell did not answer in time;
                // it may still go there, so nothing else may be tried
};

// The first ShellTabWindowClass child in z-order: the active tab of a window
// with tabs (Windows 11) or the one view of an older one; null for none.
HWND ActiveTabOf(HWND explorer);

// The index of the entry that shows the target's active tab, or -1. An entry
// belongs to the target when its top-level window is the target. With one
// such entry that is it, unless its tab is known to be another than the
// active one; with several (one per tab), only the one whose tab is the
// active tab: a folder must never go to a tab the user is not looking at.
int ChooseShellBrowser(CShellWindowList& list, HWND target, HWND activeTab);

// Finds the target's entry in the list made by makeList and has it browse to
// path. The list is made and used on a thread of its own (a single-threaded
// apartment), which is waited for at most timeoutMs.
ShellRoute BrowseThroughShellWindows(const ShellWindowListFactory& makeList, HWND target,
                                     HWND activeTab, const std::string& path, DWORD timeoutMs);

// The Explorer branch of the navigation: tries the shell's list, then the
// address bar. True when the window was dealt with (moved, or deliberately
// left alone); false only for a window of the older kind whose address bar
// has gone meanwhile, which the dispatch treats as any other window.
bool DriveExplorerWindow(TargetDriver& driver, DescendantClasses& tree, const std::string& path,
                         const ShellWindowListFactory& makeList);

}  // namespace vt::nav
