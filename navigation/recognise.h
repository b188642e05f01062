// Target window recognition: searches for controls by class and id, the owner
// program of a window and the structural recognisers (the supported
// programs' install locations are in installlocations.h). Nothing is cached: every call re-reads the window
// tree, the other process and the registry. An absent (null) or vanished
// window gives "no" / empty results everywhere. Within one recognition pass
// the class names of a window's descendants are read once (DescendantClasses)
// and shared by the recognisers given the same object.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/wnd.h"

namespace vt::nav {

// Whole-name match ignoring ASCII case: "ComboBox" matches "combobox", but
// "ComboBoxEx32" does not.
bool ClassNameMatches(const std::string& actual, const std::string& wanted);

// First descendant (EnumChildWindows order: all levels, depth first) whose
// class matches; absent if none or parent absent.
CWnd FindDescendantByClass(CWnd parent, const std::string& wantedClass);
// Every matching descendant, in enumeration order.
std::vector<CWnd> FindAllDescendantsByClass(CWnd parent, const std::string& wantedClass);
// The parent's dialog child with that id, if its class matches.
CWnd FindChildByIdAndClass(CWnd parent, int id, const std::string& wantedClass);
// The text box of a combo box: its first child if that child's class is
// exactly "Edit" (case-sensitive), else that child's next sibling.
CWnd ComboTextBox(CWnd combo);

// Full path of a process's executable (first module of a module snapshot);
// empty on failure.
std::string GetProcessImagePath(DWORD pid);
// The window exists, its process has a non-empty image path equal to exePath
// ignoring case.
bool IsWindowOfProgram(const std::string& exePath, CWnd window);

// Windows directory + "\explorer.exe".
std::string GetExplorerExePath();

// The descendants of one window with their class names, walked once, on the
// first search, in EnumChildWindows order. A class name of another process's
// window costs server round trips, so one pass of recognisers shares one walk
// instead of walking the whole tree per search. Find answers as
// FindDescendantByClass on the root did at the time of that walk.
class DescendantClasses {
public:
    explicit DescendantClasses(CWnd root) : root_(root) {}
    CWnd Root() const { return root_; }
    CWnd Find(const std::string& wantedClass);
    // As FindAllDescendantsByClass.
    std::vector<CWnd> FindAll(const std::string& wantedClass);
    bool Walked() const { return walked_; }

private:
    void Walk();
    CWnd root_;
    bool walked_ = false;
    std::vector<std::pair<HWND, std::string>> windows_;
};

// Top-level classes of Explorer's folder windows: Windows 7 to 11, and the
// class Wine's explorer (and older Windows' "explore" view) uses.
inline constexpr char kExplorerFrameClass[] = "CabinetWClass";
inline constexpr char kExplorerFrameClassOlder[] = "ExplorerWClass";

// Each recogniser tries its cheap tests (process image, dialog item ids)
// before it searches the descendants by class.
// Explorer: a window of the Windows directory's explorer.exe that is one of
// its folder frames, or that holds a list view and a combo box with an edit
// (the older structure, whatever the frame's class).
bool IsExplorerWindow(CWnd window);
bool IsExplorerWindow(DescendantClasses& tree);
// A file dialog of the older styles (LocateFileDialogControls) or the item
// dialog of current Windows (LocateItemDialog).
bool IsFileDialog(CWnd window);
bool IsFileDialog(DescendantClasses& tree);
bool IsBrowseForFolderDialog(CWnd window);
bool IsBrowseForFolderDialog(DescendantClasses& tree);
bool IsSnakeListDialog(CWnd window);
bool IsSnakeListDialog(DescendantClasses& tree);

// The controls a common file dialog is driven through. Both are absent unless
// the window is a file dialog (the list box lst1, a file name box and OK;
// control ids of <dlgs.h>).
struct FileDialogControls {
    CWnd fileNameBox;  // "edit" edt1, the text box in "comboboxex32" cmb13, or
                       // the text box of the combo box in a "directuihwnd"
    CWnd okButton;     // IDOK
};
FileDialogControls LocateFileDialogControls(CWnd window);
FileDialogControls LocateFileDialogControls(DescendantClasses& tree);

// Display name of the desktop directory (the folder browser's root item
// text); empty on failure.
std::string GetDesktopDirectoryDisplayName();
// The tree's root item, read from its process, is the desktop.
bool TreeRootIsDesktop(CWnd tree);

// File name box of a snake-list dialog: child 54, else child 48, of class
// "richedit20a" or "richedit20w"; absent if neither.
CWnd FindSnakeListFileNameBox(CWnd window);

}  // namespace vt::nav
