#include "navigation/navigate.h"

#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "framework/handles.h"
#include "framework/longpath.h"
#include "framework/text.h"
#include "navigation/driver.h"
#include "navigation/explorer.h"
#include "navigation/itemdialog.h"
#include "navigation/programs.h"
#include "navigation/recognise.h"
#include "navigation/remote.h"

namespace vt::nav {

namespace {

// What one navigation knows once it has started.
struct Navigation {
    std::string path;
    bool isDirectory;
    bool shift;
    bool ctrl;
    CWnd target;
    TargetDriver driver;
};

// The older dialogs (the Explorer-style and old-style file dialogs, the snake
// list) read their file name box into buffers of MAX_PATH characters: a
// longer path would be cut there, and the dialog would go to another folder
// or refuse the name. Such a path is left to the next way, as a failed step is.
bool FitsOlderDialog(const std::string& path) { return ToWide(path).size() < MAX_PATH; }

// Puts the text the user had typed back into a box, all of it selected.
void RestoreTypedText(TargetDriver& d, CWnd box, const std::string& saved) {
    d.Send(box, WM_SETREDRAW, TRUE);
    d.SetText(box, saved);
    d.Send(box, EM_SETSEL, 0, -1);
}

// False when the tree's root is not (any more) the desktop: the dispatch goes on.
bool RunFolderBrowserSequence(Navigation& n, DescendantClasses& tree) {
    if (!TreeRootIsDesktop(tree.Find("systreeview32"))) return false;
    RemoteBlock block = PlaceRemoteString(n.target.GetSafeHwnd(), n.path);
    if (!block) return true;  // the dialog is left as it was
    InputAttachment input(n.target);
    n.driver.Activate(n.target);
    if (n.driver.Send(n.target, BFFM_SETSELECTIONW, TRUE, block.AsLParam(), nullptr,
                      MessageForm::Wide) == SendStatus::TimedOut) {
        block.Abandon();  // the dialog may still read the path later
        return true;
    }
    if (!n.ctrl) {
        CWnd ok = n.target.GetDlgItem(IDOK);
        n.driver.Focus(ok);
        n.driver.Send(ok, BM_CLICK);
    }
    return true;
}

void RunSnakeListSequence(Navigation& n, CWnd box) {
    InputAttachment input(n.target);
    n.driver.Activate(n.target);

    RECT r = box.GetWindowRect();
    MapWindowPoints(nullptr, n.target.GetSafeHwnd(), reinterpret_cast<POINT*>(&r), 2);
    const int x = r.left + (r.right - r.left) / 2;
    const int y = r.top + (r.bottom - r.top) / 2;
    const LPARAM at = MAKELPARAM(x, y);
    n.driver.Send(n.target, WM_LBUTTONDOWN, MK_LBUTTON, at);
    n.driver.Send(n.target, WM_LBUTTONUP, MK_LBUTTON, at);

    const std::string saved = n.driver.GetText(box);
    n.driver.Send(box, WM_SETREDRAW, FALSE);
    n.driver.Focus(box);
    n.driver.SetText(box, n.path);
    n.driver.PressKey(n.target, VK_TAB);
    n.driver.PressKey(n.target, VK_TAB);
    n.driver.Focus(box);
    if (n.isDirectory) {
        RestoreTypedText(n.driver, box, saved);
    } else {
        n.driver.PressKey(box, VK_RETURN);
        // A dialog that stays open (the file was refused) must not keep a
        // box that never repaints.
        n.driver.Send(box, WM_SETREDRAW, TRUE);
    }
}

void RunFileDialogSequence(Navigation& n, const FileDialogControls& c) {
    InputAttachment input(n.target);
    n.driver.Activate(n.target);
    const std::string saved = n.driver.GetText(c.fileNameBox);
    n.driver.Send(c.fileNameBox, WM_SETREDRAW, FALSE);
    n.driver.Focus(c.fileNameBox);
    n.driver.SetText(c.fileNameBox, n.path);
    n.driver.Focus(c.okButton);
    n.driver.Send(c.okButton, BM_CLICK);
    if (n.isDirectory) {
        n.driver.Focus(c.fileNameBox);
        RestoreTypedText(n.driver, c.fileNameBox, saved);
    } else {
        n.driver.Send(c.fileNameBox, WM_SETREDRAW, TRUE);  // see the snake list
    }
}

const CElevationCheck& ElevationCheckOf(const NavigationServices& s) {
    static const CTokenElevationCheck tokens;
    return s.elevation ? *s.elevation : tokens;
}

// The system would refuse our messages to an elevated target: tell it
// before sending any.
bool TargetOutOfReach(CWnd target, const NavigationServices& s) {
    DWORD pid = 0;
    target.GetWindowThreadProcessId(&pid);
    if (!pid) return false;
    const CElevationCheck& check = ElevationCheckOf(s);
    return IsOutOfReach(check.OfProcess(pid), check.OfThisProcess());
}

// A refused message, seen after the rights read as reachable.
bool RefusalOutOfReach(CWnd target, const NavigationServices& s) {
    DWORD pid = 0;
    target.GetWindowThreadProcessId(&pid);
    const CElevationCheck& check = ElevationCheckOf(s);
    return RefusalMeansOutOfReach(pid ? check.OfProcess(pid) : Elevation::Unknown,
                                  check.OfThisProcess());
}

bool KeyDown(const NavigationServices& s, int vk) {
    const SHORT state = s.keyState ? s.keyState(vk) : GetKeyState(vk);
    return (state & kKeyIsDown) != 0;
}

// Runs the kinds of target in their fixed order; true when one acted. The
// recognisers share one walk of the target's descendants.
bool DriveTarget(Navigation& n, bool reuseExplorer, HWND owner,
                 const ShellWindowListFactory& shellWindows) {
    if (!n.target) return false;
    DescendantClasses tree(n.target);
    if (reuseExplorer && n.isDirectory && IsExplorerWindow(tree) &&
        DriveExplorerWindow(n.driver, tree, n.path, shellWindows))
        return true;
    // The item dialog of current Windows, by its own structure, which no other
    // kind shares; asked before the folder browser, whose check reads its
    // navigation pane's tree from the other process. A route it has none for
    // (a file in a folder picker) leaves it to the shell.
    if (!n.shift) {
        const ItemDialogControls item = LocateItemDialog(tree);
        if (item.found)
            return DriveItemDialog(n.driver, n.target, item, n.path, n.isDirectory, n.ctrl);
    }
    if (!n.shift && n.isDirectory && IsBrowseForFolderDialog(tree) &&
        RunFolderBrowserSequence(n, tree))
        return true;
    const bool fitsOlderDialog = FitsOlderDialog(n.path);
    if (!n.shift && fitsOlderDialog && IsSnakeListDialog(tree)) {
        if (CWnd box = FindSnakeListFileNameBox(n.target)) {
            RunSnakeListSequence(n, box);
            return true;
        }
    }
    if (n.shift) return false;
    if (n.isDirectory && NavigateSupportedProgram(tree, n.path, owner, n.driver.RemainingMs()))
        return true;
    if (!fitsOlderDialog) return false;
    const FileDialogControls c = LocateFileDialogControls(tree);
    if (c.fileNameBox && c.okButton) {
        RunFileDialogSequence(n, c);
        return true;
    }
    return false;
}

}  // namespace

std::string ShellVerbFor(bool isDirectory, int action) {
    return isDirectory && action == 1 ? "explore" : "open";
}

bool PrepareNavigation(UINT commandId, const FolderList& folders, AppSettings& settings,
                       CWnd& targetWindow, const NavigationServices& services,
                       NavigationRequest& request) {
    if (commandId < kFirstFolderCommand) return false;
    const auto entry = folders.find(static_cast<int>(commandId - kFirstFolderCommand));
    if (entry == folders.end()) return false;  // find, never operator[]: the list stays as it is

    PreparePathNavigation(entry->second.path, settings, targetWindow, services, request);
    return true;
}

void PreparePathNavigation(const std::string& path, AppSettings& settings, CWnd& targetWindow,
                           const NavigationServices& services, NavigationRequest& request) {
    request.path = path;
    request.isDirectory = IsExistingDirectory(request.path);  // any length
    request.shift = KeyDown(services, VK_SHIFT);
    request.ctrl = KeyDown(services, VK_CONTROL);
    request.reuseExplorer = settings.alwaysNewExplorer ? request.shift : !request.shift;
    if (request.isDirectory && settings.action == 2) settings.action = 0;
    request.action = settings.action;
    request.target = targetWindow.GetSafeHwnd();
    targetWindow = CWnd();
}

NavigationOutcome RunNavigation(const NavigationRequest& request, HWND owner,
                                const NavigationServices& services) {
    Navigation n{request.path, request.isDirectory,  request.shift,
                 request.ctrl, CWnd(request.target), TargetDriver(services.patienceMs)};
    const auto outOfReach = [&] {
        if (services.reportProblem) services.reportProblem(NavigationProblem::TargetElevated);
        return NavigationOutcome::OutOfReach;
    };
    if (n.target && TargetOutOfReach(n.target, services)) return outOfReach();
    const bool driven = DriveTarget(n, request.reuseExplorer, owner, services.shellWindows);
    // Refused while its rights could not be read: the system shields it, and
    // the shell is no answer to that. Any other refusal ends the sequence as
    // a time-out does.
    if (n.driver.Refused() && RefusalOutOfReach(n.target, services)) return outOfReach();
    if (driven) return NavigationOutcome::Driven;
    const std::string verb = ShellVerbFor(n.isDirectory, request.action);
    if (services.shellExecute)
        services.shellExecute(owner, verb, n.path);
    else
        ShellExecuteA(owner, verb.c_str(), n.path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return NavigationOutcome::Shell;
}

void NavigateTo(UINT commandId, const FolderList& folders, AppSettings& settings,
                CWnd& targetWindow, HWND owner, const NavigationServices& services) {
    NavigationRequest request;
    if (PrepareNavigation(commandId, folders, settings, targetWindow, services, request))
        RunNavigation(request, owner, services);
}

}  // namespace vt::nav
