// Where a folder's icon comes from: the default icon of a path, system image
// list indices, and loading one icon as a 16 x 16 picture.
#pragma once
#include <windows.h>

#include <string>

#include "model/folderlist.h"

namespace vt {

// kSystemImageListMarker (folderlist.h) as icon file names the shell's
// small-icon system image list; the index is then valid only while the
// program runs.

// Full path of the shell's icon library, or "shell32.dll".
std::string GetDefaultIconFile();
// System small-icon image list index of a path (special folders by their
// identifier lists). False when the shell gives none.
bool GetSystemIconIndex(const std::string& path, int& index);
// The special folder paths are read once; this makes the next lookup read
// them again (after the system settings change).
void ForgetSpecialFolderPaths();
// An existing directory whose system image differs from a plain folder's.
bool HasSystemSpecialIcon(const std::string& path);
// The default icon of a path. Outputs are always set ("" and -1 first).
bool FindDefaultIcon(const std::string& path, std::string& iconFile, int& iconIndex);
// The one loader of a folder's icon: the menu, the Setup list and the
// editor's picker all draw what it gives, so that a folder looks the same in
// each. The icon is drawn for size x size pixels (the small-icon size of a
// monitor's DPI): the file's own picture of that size where it has one, not
// a stretched small one. The caller owns it; null for the default picture
// (empty icon file or index -1) or when the icon cannot be had.
HICON LoadIconOfSize(const std::string& iconFile, int iconIndex, int size);
// LoadIconOfSize at the system's small-icon size (16 x 16 at 96 DPI).
HICON LoadSmallIcon(const std::string& iconFile, int iconIndex);

// What an ordinary folder looks like, computed once at start-up from the
// program's own folder (without a trailing backslash).
extern int PlainFolderSystemIndex;
extern std::string PlainFolderIconFile;
extern int PlainFolderIconIndex;
void ComputeIconReferenceValues(const std::string& programFolder);
// Start-up names the folder; the values are computed at their first use (or
// by EnsureIconReferenceValues), so that the slow shell queries do not hold
// up the start.
void SetIconReferenceFolder(const std::string& programFolder);
void EnsureIconReferenceValues();

// Helpers of the file-type route, exposed for tests.

// Splits a registry icon location ("file,index") with the shell's parser: the
// number after the last comma is the index (0 without one), the rest, unquoted
// and trimmed, the file. False when the text does not fit 1024 characters.
bool ParseIconLocation(const std::string& location, std::string& file, int& index);
// Environment variables expanded into at most 1024 characters; false when the
// result would not fit.
bool ExpandIconPath(const std::string& text, std::string& expanded);
// Position of the icon group with the given resource number among all icon
// groups of a module, in the order the system enumerates them (named groups
// first), which is the index the shell's icon extraction uses for it. False
// when the file cannot be loaded as a library or holds no such group.
bool FindIconGroupPosition(const std::string& file, int resourceId, int& position);

}  // namespace vt
