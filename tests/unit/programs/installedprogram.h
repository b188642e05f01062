// A supported program's fixture installed for one test: the executable copied
// into a scratch install folder under the real program's file name, its
// install location registered where the navigation looks for it, and the
// running fixture with its event log. Everything is removed at the end.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "support/testsupport.h"

namespace vt::test {

enum class Program { Pixdrove, WinZip, PowerArchiver, SmartFtp, FileZilla, Devenv };

// How WinZip's "UninstallString" names the executable.
enum class UninstallQuoting { Quoted, Unquoted };

class InstalledProgram {
public:
    // installSubdir: the install folder below a fresh scratch folder.
    explicit InstalledProgram(Program program,
                              const std::string& installSubdir = "Program Files\\App");
    ~InstalledProgram();
    InstalledProgram(const InstalledProgram&) = delete;
    InstalledProgram& operator=(const InstalledProgram&) = delete;

    const std::string& ExePath() const { return exe_; }
    const std::string& InstallDir() const { return installDir_; }
    const ScratchDir& Scratch() const { return dir_; }

    // Registers exePath as the install location of program (by default this
    // fixture as its own program); the key is removed when this object ends.
    void Register(Program program, const std::string& exePath,
                  UninstallQuoting quoting = UninstallQuoting::Quoted);
    void Register() { Register(program_, exe_); }

    // Starts the fixture with the given options (see progfixture.h) and
    // returns its visible main window, or null.
    HWND Start(const std::string& args = "");
    ChildProcess& Process() { return process_; }

    // The events the fixture has recorded so far, one per line.
    std::vector<std::string> Log() const;
    // Waits until a recorded line equals line.
    bool WaitForLine(const std::string& line, DWORD timeoutMs = 10000) const;

private:
    Program program_;
    ScratchDir dir_;  // destroyed last: the running fixture lives in it
    std::string installDir_;
    std::string exe_;
    DWORD copyError_ = 0;  // why the fixture could not be put in place, if it could not
    std::vector<std::unique_ptr<ScopedRegTree>> keys_;
    ChildProcess process_;
};

// Executable file name of a program's fixture, as the real program's.
std::string FixtureExeName(Program program);

// True when want occurs in log as a subsequence (same order, gaps allowed).
bool ContainsInOrder(const std::vector<std::string>& log, const std::vector<std::string>& want);
// Number of lines that begin with prefix.
int CountLinesStartingWith(const std::vector<std::string>& log, const std::string& prefix);

// Text of a control in another process, read with WM_GETTEXT.
std::string RemoteText(HWND w);

}  // namespace vt::test
