// Choosing a folder with the shell's folder browser.
#pragma once
#include <windows.h>

#include <string>

namespace vt {

// Shows the browser ("Choose a directory") over owner with path selected.
// True when the user chose a folder of the file system: path then holds it,
// ending in a backslash (a drive root as "C:\"). False, with path unchanged,
// when the browser was cancelled or could not be shown.
bool BrowseForFolder(std::string& path, HWND owner);

// A chosen folder's path as the browser returns it: with one trailing
// backslash; empty stays empty.
std::string WithTrailingBackslash(const std::string& path);

}  // namespace vt
