#include "installedprogram.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "framework/registry.h"

namespace vt::test {

namespace {

struct Installation {
    HKEY root;
    const char* key;
    const char* value;
    enum { Folder, UninstallCommand, ExePath } form;
};

Installation InstallationOf(Program p) {
    switch (p) {
        case Program::Pixdrove:
            return {HKEY_LOCAL_MACHINE, "Software\\Quorvane.\\Pixdrove", "Installation Directory",
                    Installation::Folder};
        case Program::WinZip:
            return {HKEY_LOCAL_MACHINE,
                    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\WinZip",
                    "UninstallString", Installation::UninstallCommand};
        case Program::PowerArchiver:
            return {HKEY_CURRENT_USER, "Software\\PowerArchiver\\General", "Directory",
                    Installation::ExePath};
        case Program::SmartFtp:
            return {HKEY_LOCAL_MACHINE, "Software\\SmartFTP", "Install Directory",
                    Installation::Folder};
        case Program::FileZilla:
            return {HKEY_LOCAL_MACHINE, "Software\\Filezilla", "Install_Dir", Installation::Folder};
        case Program::Devenv:
            return {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\VisualStudio\\8.0", "InstallDir",
                    Installation::Folder};
    }
    return {};
}

std::string FolderOf(const std::string& path) {
    auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(0, slash);
}

std::string ReadWholeFile(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    std::string data;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
    CloseHandle(f);
    return data;
}

}  // namespace

std::string FixtureExeName(Program p) {
    switch (p) {
        case Program::Pixdrove:
            return "pixdrove.exe";
        case Program::WinZip:
            return "winzip32.exe";
        case Program::PowerArchiver:
            return "POWERARC.exe";
        case Program::SmartFtp:
            return "smartftp.exe";
        case Program::FileZilla:
            return "filezilla.exe";
        case Program::Devenv:
            return "devenv.exe";
    }
    return {};
}

InstalledProgram::InstalledProgram(Program program, const std::string& installSubdir)
    : program_(program), dir_("vtprog") {
    installDir_ = dir_.MakeDir(installSubdir);
    exe_ = installDir_ + "\\" + FixtureExeName(program);
    if (!CopyFileA(BinPath(FixtureExeName(program)).c_str(), exe_.c_str(), FALSE))
        copyError_ = GetLastError();
}

InstalledProgram::~InstalledProgram() {
    process_.Terminate();
    keys_.clear();
}

void InstalledProgram::Register(Program program, const std::string& exePath,
                                UninstallQuoting quoting) {
    const Installation in = InstallationOf(program);
    keys_.push_back(std::make_unique<ScopedRegTree>(in.root, in.key));
    std::string data;
    switch (in.form) {
        case Installation::Folder:
            data = FolderOf(exePath);
            break;
        case Installation::ExePath:
            data = exePath;
            break;
        case Installation::UninstallCommand:
            data = quoting == UninstallQuoting::Quoted ? "\"" + exePath + "\" /uninstall"
                                                       : exePath + " /uninstall";
            break;
    }
    CRegKey key;
    if (key.Create(in.root, in.key)) key.SetString(in.value, data);
}

HWND InstalledProgram::Start(const std::string& args) {
    // A start that fails says why: a bare null cannot tell a failed copy from
    // a failed start or a window that never came.
    if (copyError_) {
        ADD_FAILURE() << "copying the fixture to " << exe_ << " failed: error " << copyError_;
        return nullptr;
    }
    if (!process_.Start(exe_, args)) {
        ADD_FAILURE() << "starting " << exe_ << " failed: error " << GetLastError();
        return nullptr;
    }
    HWND w = WaitForTopWindow(process_.Pid(), "VtProgFixture");
    if (!w) ADD_FAILURE() << exe_ << " showed no window; running: " << process_.Running();
    return w;
}

std::vector<std::string> InstalledProgram::Log() const {
    const std::string data = ReadWholeFile(exe_ + ".log");
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t eol; (eol = data.find("\r\n", start)) != std::string::npos; start = eol + 2)
        lines.push_back(data.substr(start, eol - start));
    return lines;
}

bool InstalledProgram::WaitForLine(const std::string& line, DWORD timeoutMs) const {
    return WaitUntil(
        [&] {
            const auto log = Log();
            return std::find(log.begin(), log.end(), line) != log.end();
        },
        timeoutMs);
}

bool ContainsInOrder(const std::vector<std::string>& log, const std::vector<std::string>& want) {
    auto at = log.begin();
    for (const std::string& w : want) {
        at = std::find(at, log.end(), w);
        if (at == log.end()) return false;
        ++at;
    }
    return true;
}

int CountLinesStartingWith(const std::vector<std::string>& log, const std::string& prefix) {
    return static_cast<int>(std::count_if(log.begin(), log.end(), [&](const std::string& l) {
        return l.compare(0, prefix.size(), prefix) == 0;
    }));
}

std::string RemoteText(HWND w) {
    char buf[1024] = {};
    SendMessageA(w, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

}  // namespace vt::test
