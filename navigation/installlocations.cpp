#include "navigation/installlocations.h"

#include <windows.h>

#include "framework/text.h"

namespace vt::nav {

namespace {

// The registry value as raw bytes in a path-sized buffer, whatever its type;
// empty when missing or longer than the buffer.
std::string ReadValueFromView(HKEY root, const char* subkey, const char* value, REGSAM view) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey, 0, KEY_READ | view, &key) != ERROR_SUCCESS) return {};
    char buf[kPathBufferBytes] = {};
    DWORD size = sizeof buf - 1;  // keep one zero after whatever is read
    const LONG rc =
        RegQueryValueExA(key, value, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS ? std::string(buf) : std::string();
}

// Installers of 32-bit programs write below the 32-bit view of
// HKEY_LOCAL_MACHINE\Software; a 64-bit Vantrel looks there too.
std::string ReadInstallValue(HKEY root, const char* subkey, const char* value) {
    std::string v = ReadValueFromView(root, subkey, value, 0);
    if (v.empty() && sizeof(void*) == 8 && root == HKEY_LOCAL_MACHINE)
        v = ReadValueFromView(root, subkey, value, KEY_WOW64_32KEY);
    return v;
}

std::string ExeInDirectory(const char* subkey, const char* value, const char* exe) {
    std::string dir = ReadInstallValue(HKEY_LOCAL_MACHINE, subkey, value);
    if (dir.empty()) return {};
    if (dir.back() != '\\') dir += '\\';
    return dir + exe;
}

}  // namespace

std::string GetPixdroveExePath() {
    return ExeInDirectory("Software\\Quorvane.\\Pixdrove", "Installation Directory",
                          "pixdrove.exe");
}

std::string GetFileZillaExePath() {
    return ExeInDirectory("Software\\Filezilla", "Install_Dir", "filezilla.exe");
}

std::string GetSmartFtpExePath() {
    return ExeInDirectory("Software\\SmartFTP", "Install Directory", "smartftp.exe");
}

std::string GetDevenvExePath() {
    return ExeInDirectory("SOFTWARE\\Microsoft\\VisualStudio\\8.0", "InstallDir", "devenv.exe");
}

std::string GetWinZipExePath() {
    return WinZipExeFromUninstallString(ReadInstallValue(
        HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\WinZip",
        "UninstallString"));
}

std::string GetPowerArchiverPath() {
    return ReadInstallValue(HKEY_CURRENT_USER, "Software\\PowerArchiver\\General", "Directory");
}

std::string WinZipExeFromUninstallString(const std::string& value) {
    if (value.empty()) return {};
    if (value[0] == '"') {
        const size_t close = value.find('"', 1);
        return close == std::string::npos ? std::string() : value.substr(1, close - 1);
    }
    const size_t space = value.find(' ', 1);
    return space == std::string::npos ? std::string() : value.substr(0, space);
}

}  // namespace vt::nav
