// Helpers shared by the test programs: waiting on conditions with a deadline,
// starting real child processes, finding their windows, scratch registry keys.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace vt::test {

// Folder of the running test program (build/<arch>/bin), without a trailing backslash.
std::string BinDir();
// BinDir() + "\\" + name.
std::string BinPath(const std::string& name);

// Dispatches every message waiting in this thread's queue.
void PumpMessages();

// Polls cond (pumping this thread's messages between polls) until it holds or
// the deadline passes. Returns the last value of cond.
bool WaitUntil(const std::function<bool()>& cond, DWORD timeoutMs = 10000);

// Runs create (a CreateProcess call) and runs it again, at most three times
// in all, while it fails with ERROR_INTERNAL_ERROR: Wine's answer when the
// new process dies before its start-up completes, which a loaded machine
// does now and then. Any other error is the caller's to see.
bool CreateProcessRetryingStartupFailure(const std::function<BOOL()>& create);

// A real child process started with CreateProcess. Terminated on destruction
// if it is still running, so no test leaves processes behind.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;

    // exe is a path; args is appended after the quoted exe path. A desktop
    // name starts the process on that desktop (the caller's if empty).
    // Returns false if the process could not be started.
    bool Start(const std::string& exe, const std::string& args = "",
               const std::string& workDir = "", const std::string& desktop = "");
    // Later starts run with the limited form of this process's token (its
    // linked token): the rights of a program not run as administrator,
    // beside a test that runs with the full ones (as every Wine process does).
    void UseLimitedRights(bool on) { limitedRights_ = on; }
    bool Running() const;
    // Waits for the process to end; false on timeout.
    bool WaitForExit(DWORD timeoutMs = 10000);
    DWORD ExitCode() const;
    DWORD Pid() const { return pid_; }
    DWORD MainThreadId() const { return tid_; }
    HANDLE Handle() const { return process_; }
    void Terminate();

private:
    HANDLE process_ = nullptr;  // owned
    DWORD pid_ = 0;
    DWORD tid_ = 0;
    bool limitedRights_ = false;
};

// A primary token with this process's rights as a program not run as
// administrator has them (the linked token of an elevated one); the caller
// owns it. Null if the system gives none.
HANDLE LimitedPrimaryToken();

// Waits for WaitForInputIdle of the process, then for a visible top-level
// window of that process whose class is className (any class if empty).
HWND WaitForTopWindow(DWORD pid, const std::string& className = "", DWORD timeoutMs = 10000);
// All top-level windows of a process (visible or not).
std::vector<HWND> TopWindowsOfProcess(DWORD pid);

std::string ClassNameOf(HWND w);
std::string TextOf(HWND w);

// Wine shows notification icons without a taskbar in a standalone tray
// window of the shell's process, one visible child window per icon.
std::vector<HWND> TrayIconWindows();

// True when no program holds the hot key: this thread can register it (and
// lets it go again at once).
bool HotKeyIsFree(UINT modifiers, UINT vk);

// Deletes a registry key with everything under it (no error if missing).
void DeleteRegTree(HKEY root, const std::string& subkey);

// Deletes the key tree when constructed and again when destroyed, so that a
// test starts and ends with a clean key.
class ScopedRegTree {
public:
    ScopedRegTree(HKEY root, std::string subkey);
    ~ScopedRegTree();
    ScopedRegTree(const ScopedRegTree&) = delete;
    ScopedRegTree& operator=(const ScopedRegTree&) = delete;

private:
    HKEY root_;
    std::string subkey_;
};

// A fresh, empty folder under %TEMP%, removed with its contents on destruction.
class ScratchDir {
public:
    // Below the temporary folder, or below base (ending in a backslash).
    explicit ScratchDir(const std::string& hint = "vt", const std::string& base = "");
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return path_; }
    // Creates a sub folder (and parents) and returns its full path.
    std::string MakeDir(const std::string& rel) const;
    // Creates a file with the given content and returns its full path.
    std::string MakeFile(const std::string& rel, const std::string& content = "") const;

private:
    std::string path_;
};

// Windows shows HKEY_CLASSES_ROOT as the machine's classes merged with the
// current user's (HKCU\Software\Classes); Wine 8 shows only the machine's.
// While this object lives, this process's HKEY_CLASSES_ROOT is the user's
// classes, so that the shell code in this process (ShellExecuteEx with a verb,
// for one) reads what a user-level registration put there, as it would on
// Windows.
class ScopedUserClassesRoot {
public:
    ScopedUserClassesRoot();
    ~ScopedUserClassesRoot();
    ScopedUserClassesRoot(const ScopedUserClassesRoot&) = delete;
    ScopedUserClassesRoot& operator=(const ScopedUserClassesRoot&) = delete;
    bool Active() const { return active_; }

private:
    bool active_ = false;
};

// Writes an .ico file with one fully opaque picture per (size, colour), each
// a solid square, so that a test can tell by its pixels which size was drawn.
bool WriteSolidIconFile(const std::string& path,
                        const std::vector<std::pair<int, COLORREF>>& pictures);

// The pixels of an icon drawn at size x size over white, row by row, as
// RGB values; empty when the icon cannot be drawn.
std::vector<COLORREF> DrawnIconPixels(HICON icon, int size);
// How many of those pixels have the colour.
int CountColour(const std::vector<COLORREF>& pixels, COLORREF colour);

}  // namespace vt::test
