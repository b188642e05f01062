// Two options that live where Windows itself reads them: the log-on Run value
// that starts Vantrel with Windows, and the "Add to Vantrel" command of
// Explorer's context menu for folders.
//
// The verb is written under HKEY_CURRENT_USER\Software\Classes, which any user
// may write and which the system merges into HKEY_CLASSES_ROOT; it is read
// back through HKEY_CLASSES_ROOT, so a copy placed machine-wide also counts.
#pragma once
#include <windows.h>

#include <string>

#include "framework/module.h"

namespace vt {

inline constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValueName = "Vantrel";
// Below HKEY_CLASSES_ROOT; its name is the menu text Explorer shows.
inline constexpr const char* kVerbKey = "Folder\\shell\\Add to Vantrel";
inline constexpr const char* kVerbCommandKey = "Folder\\shell\\Add to Vantrel\\command";
// Where the current user's classes live below HKEY_CURRENT_USER.
inline constexpr const char* kUserClassesKey = "Software\\Classes";

// The Run value's data: the program path in double quotation marks, so that
// the system does not split a path with spaces at log-on.
std::string RunValueData(const std::string& programPath);
// The verb's command: the quoted program path, one space and "%L".
std::string VerbCommandLine(const std::string& programPath);

// Start with Windows: the value "Vantrel" exists in the Run key (any data).
bool IsLoadWithWindows();
// The verb key can be opened for reading through HKEY_CLASSES_ROOT.
bool IsExplorerVerbInstalled();

// Rewrites both entries from the two flags: the Run value is deleted and, if
// loadWithWindows, written anew; the verb key is deleted with everything under
// it, or (integrate) created with its command. Failures are silent: the flags
// read back next time show what the registry really holds.
void WriteShellIntegration(bool loadWithWindows, bool integrate, const std::string& programPath);

}  // namespace vt
