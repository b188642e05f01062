// Driving the window that was in front to a chosen folder: Explorer, the
// folder browser, snake-list and common file dialogs, the supported programs,
// and otherwise the shell.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "framework/wnd.h"
#include "model/folderlist.h"
#include "navigation/driver.h"
#include "navigation/elevation.h"
#include "navigation/sendwindow.h"
#include "navigation/shellwindows.h"
#include "resources/resource.h"

namespace vt::nav {

// Folder menu items carry this base plus the folder's key (the id is
// defined with the other command ids).
inline constexpr UINT kFirstFolderCommand = ID_FOLDER_FIRST;

// Why a navigation could not reach its target, for the application to tell.
enum class NavigationProblem {
    TargetElevated,  // the target runs as administrator and Vantrel does not
};

// How a navigation ended.
enum class NavigationOutcome {
    Driven,      // a known kind of window was driven
    Shell,       // no known window was in front: the shell opened the path
    OutOfReach,  // the target was left alone and the problem reported
};

// What NavigateTo needs from outside the target window. Default-constructed,
// every member is the real thing; tests replace them.
struct NavigationServices {
    // ShellExecuteA(owner, verb, path, no parameters, no directory, SW_SHOWNORMAL).
    std::function<void(HWND owner, const std::string& verb, const std::string& path)> shellExecute;
    // GetKeyState; only the high bit (key down) is used.
    std::function<SHORT(int vk)> keyState;
    // How long the navigation may wait for the target in all (TargetDriver);
    // a target that has not answered by then, or is hung, gets nothing more.
    UINT patienceMs = kNavigationPatienceMs;
    // The shell's list of its windows, made on the thread that asks it; null:
    // the system's.
    ShellWindowListFactory shellWindows;
    // Whether the target and Vantrel run as administrator; the tokens' own
    // answer (CTokenElevationCheck) when null.
    std::shared_ptr<const CElevationCheck> elevation;
    // Told, on the navigation's thread, why a target could not be reached;
    // nothing else happens then (no message to the target, no shell).
    std::function<void(NavigationProblem)> reportProblem;
};

// One navigation as decided at the moment of the choice: the entry's path,
// the keys held then and the target. Driving it needs nothing else, so it
// can run on any thread.
struct NavigationRequest {
    std::string path;
    bool isDirectory = false;
    bool shift = false;
    bool ctrl = false;
    bool reuseExplorer = false;  // "Always New Explorer", inverted by Shift
    int action = 0;              // "Action" after the rule for the value 2
    HWND target = nullptr;       // not owned; may be null or gone
};

// Handles a folder command (kFirstFolderCommand + key). An id whose key has no
// entry is ignored. Otherwise drives targetWindow to the entry's path, or opens
// the path through the shell with owner as the owner window, and clears
// targetWindow. settings.action may change from 2 to 0 (the in-memory value).
// Shift and Ctrl are read once at the start.
void NavigateTo(UINT commandId, const FolderList& folders, AppSettings& settings,
                CWnd& targetWindow, HWND owner, const NavigationServices& services = {});

// The first half of NavigateTo, on the thread that received the command:
// fills request, applies the rule for "Action" 2 and clears targetWindow.
// False, with nothing changed, for an id without an entry.
bool PrepareNavigation(UINT commandId, const FolderList& folders, AppSettings& settings,
                       CWnd& targetWindow, const NavigationServices& services,
                       NavigationRequest& request);
// As PrepareNavigation, for a folder given by its path (an open folder of the
// menu): the same keys and rules as a favourite's pick.
void PreparePathNavigation(const std::string& path, AppSettings& settings, CWnd& targetWindow,
                           const NavigationServices& services, NavigationRequest& request);
// The second half: drives the target, or opens the path through the shell,
// or, for a target out of Vantrel's reach, reports that and does nothing.
NavigationOutcome RunNavigation(const NavigationRequest& request, HWND owner,
                                const NavigationServices& services = {});

// The verb the shell fallback uses for a path ("open", or "explore" for a
// directory when action is 1).
std::string ShellVerbFor(bool isDirectory, int action);

}  // namespace vt::nav
