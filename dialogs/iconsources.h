// Where a folder's icon comes from: the default icon of a path, system image
// list indices, and loading one icon as a 16 x 16 picture.
#pragma once
#include <windows.h>

#include <string>

namespace vt {

// Full path of the shell's icon library, or "shell32.dll".
std::string GetDefaultIconFile();
// System small-icon image list index of a path (special folders by their
// identifier lists). False when the shell gives none.
bool GetSystemIconIndex(const std::string& path, int& index);
// An existing directory whose system image differs from a plain folder's.
bool HasSystemSpecialIcon(const std::string& path);
// The default icon of a path. Outputs are always set ("" and -1 first).
bool FindDefaultIcon(const std::string& path, std::string& iconFile, int& iconIndex);
// A 16 x 16 icon the caller owns, or null for the default picture.
HICON LoadSmallIcon(const std::string& iconFile, int iconIndex);

// What an ordinary folder looks like, computed once at start-up from the
// program's own folder (without a trailing backslash).
extern int PlainFolderSystemIndex;
extern std::string PlainFolderIconFile;
extern int PlainFolderIconIndex;
void ComputeIconReferenceValues(const std::string& programFolder);

}  // namespace vt
