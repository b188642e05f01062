// Where the supported programs are installed, read from the registry on every
// call: the program recipes (programs.cpp) compare a target's executable with
// these paths before they drive it.
#pragma once
#include <string>

namespace vt::nav {

// Full paths of the executables; empty when not installed.
std::string GetPixdroveExePath();
std::string GetFileZillaExePath();
std::string GetSmartFtpExePath();
std::string GetDevenvExePath();
std::string GetWinZipExePath();
// PowerArchiver's folder as stored, nothing appended.
std::string GetPowerArchiverPath();
// The executable part of WinZip's "UninstallString" value.
std::string WinZipExeFromUninstallString(const std::string& value);

}  // namespace vt::nav
