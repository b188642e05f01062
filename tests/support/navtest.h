// Helpers of the navigation tests: the navtargets fixture in a child process,
// its log, a recording shell and key state, reading another dialog's folder.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "model/folderlist.h"
#include "navigation/navigate.h"
#include "support/testsupport.h"

namespace navtest {

// One run of tests/fixtures/navtargets in its own process.
class Fixture {
public:
    // The fixture program in the bin folder; another one takes the same
    // "<mode> <log> <args>" command line.
    std::string program = "navtargets.exe";
    // Starts "navtargets <mode> <log> <args>" (on the named desktop, if one is
    // given) and waits for its window of the given class (any visible window
    // if empty). The caller's thread must be on that desktop to find it.
    bool Start(const std::string& mode, const std::string& args = "",
               const std::string& windowClass = "", const std::string& desktop = "");
    HWND Window() const { return window_; }
    DWORD Pid() const { return child_.Pid(); }
    vt::test::ChildProcess& Process() { return child_; }
    std::string Log() const;
    // Waits until a log line contains text.
    bool WaitForLog(const std::string& text, DWORD timeoutMs = 10000) const;
    std::vector<std::string> LogLines() const;

private:
    vt::test::ScratchDir dir_{"navlog"};
    std::string log_;
    vt::test::ChildProcess child_;
    HWND window_ = nullptr;
};

// Records what the navigation would hand to the shell; holds the keys down.
struct FakeWorld {
    struct Call {
        HWND owner;
        std::string verb, path;
    };
    std::vector<Call> shellCalls;
    bool shift = false;
    bool ctrl = false;
    vt::nav::NavigationServices Services(UINT timeoutMs = vt::nav::kDefaultSendTimeoutMs);
};

// A folder list with the path under key 0.
vt::FolderList OneEntry(const std::string& path);

// Navigates target to path through the command of key 0.
void Navigate(HWND target, const std::string& path, FakeWorld& world, vt::AppSettings settings = {},
              HWND owner = nullptr);

// The current folder of an Explorer-style file dialog of another process
// (CDM_GETFOLDERPATH with a buffer placed in that process). The dialog answers
// in its own form: FileDialogFolder for a dialog of GetOpenFileNameA,
// FileDialogFolderW (UTF-16, returned as UTF-8) for one of GetOpenFileNameW.
std::string FileDialogFolder(HWND dialog);
std::string FileDialogFolderW(HWND dialog);

// Text (read as UTF-16, returned as UTF-8) and selection (start, end) of an
// edit control of any process.
std::string Text(HWND w);
std::pair<int, int> Selection(HWND edit);

// "Проекты 日本語 🎵": a folder name in three scripts, one of them outside
// the basic plane.
extern const char kMixedScriptName[];
// Makes the folder with the W call, as a Unicode program would; its path.
std::string MakeDirW(const vt::test::ScratchDir& dir, const std::string& name);

std::string Lower(std::string s);

}  // namespace navtest
