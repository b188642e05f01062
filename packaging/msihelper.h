// The installer's helper program (VTMsiHelper.exe, carried inside the MSI and
// never installed): what the package itself cannot express. It ends a running
// Vantrel before its files are replaced or removed, and on uninstall removes
// the start-with-Windows value and the Explorer verb when they name the
// program being removed.
#pragma once
#include <windows.h>

#include <string>

namespace vt {

// Registry places of the shell integration, below HKEY_CURRENT_USER.
extern const char kRunKey[];    // Software\Microsoft\Windows\CurrentVersion\Run
extern const char kRunValue[];  // Vantrel
extern const char kVerbKey[];   // Software\Classes\Folder\shell\Add to Vantrel
extern const char kVerbCommandKey[];

// Same file: compared without regard to case, after expanding short (8.3)
// names of files that exist.
bool SamePath(const std::string& a, const std::string& b);

// The program file a command line starts: the quoted first token, or for an
// unquoted line the whole line when it is the program's path, or the
// program's path followed by arguments. True when that is `program`.
bool CommandStartsProgram(const std::string& command, const std::string& program);

enum class EndResult {
    NotRunning,  // no published instance
    OtherCopy,   // an instance runs, from another program file: left alone
    Ended,       // ended by its own "/quit"
    Terminated,  // did not end in time and was terminated
    Failed       // runs, but could not be reached
};

// Ends the running instance when it was started from `program`: starts
// `program` with "/quit" (the program's own way of ending the first
// instance) and waits for the instance's process to end. Only if it is
// still running after timeoutMs is it terminated.
EndResult EndRunningInstance(const std::string& program, DWORD timeoutMs);

// True while a process has the file loaded as a program or library: such a
// file cannot be opened for writing, nor replaced or deleted.
bool ImageInUse(const std::string& file);

// After the hook is removed, other programs unload the hook library only
// when they next look at their message queues. Nudges them once (a posted
// WM_NULL) and waits until no process holds `hookLibrary` any more, or
// timeoutMs has passed; true when it is free (or does not exist).
bool WaitForHookLibraryRelease(const std::string& hookLibrary, DWORD timeoutMs);

// After the installer has removed the files: a program file still there is
// held by some process (Wine's desktop process keeps a hook library loaded
// until it ends). It is renamed out of the way and deleted at the next start
// (MOVEFILE_DELAY_UNTIL_REBOOT), as is the program's folder if it is empty by
// then. Returns how many files were so scheduled.
int RemoveLeftoversAtRestart(const std::string& program);

struct ShellCleanup {
    bool runValueRemoved = false;
    bool verbRemoved = false;
};

// Under userRoot (HKEY_CURRENT_USER, or a scratch key in tests): deletes the
// Run value "Vantrel" and the verb key "Add to Vantrel" with its subkeys, each
// only when it starts `program`; entries naming any other program stay. The
// installer's start-with-Windows mark goes too.
ShellCleanup RemoveShellIntegration(HKEY userRoot, const std::string& program);

// An upgrade keeps the shell integration: the program's path stays the same.
// Windows Installer tells the older product's removal that it is part of an
// upgrade (UPGRADINGPRODUCTCODE), and the removal then keeps the entries; Wine
// does not, so the newer package notes them before the older product goes
// and puts back what the removal took once it is installed.
extern const char kKeptKey[];  // Software\Quorvane.\Vantrel Upgrade
// Notes the Run value and the verb command that start `program` (and the
// installer's start-with-Windows mark, kLoadWithWindowsSet) under
// kKeptKey (replacing any earlier note; none when neither does).
void RememberShellIntegration(HKEY userRoot, const std::string& program);
// Writes back each noted entry that is missing now, then drops the note.
// Returns how many entries were written back (the mark is not counted).
int RestoreShellIntegration(HKEY userRoot);

// After an install: "Load with Windows" on, the Run value exactly as Setup
// writes it. Only the first install of this product for the user does so;
// it leaves a mark (value kLoadWithWindowsSet in kSetupKey), and later
// installs (upgrades) keep whatever the user chose in Setup since. The mark
// goes with a real uninstall, so that installing anew turns it on again.
// True when the value was written.
extern const char kSetupKey[];            // Software\Quorvane.\Vantrel Setup
extern const char kLoadWithWindowsSet[];  // Load With Windows Set
bool EnableLoadWithWindows(HKEY userRoot, const std::string& program);

// Starts the installed program for the installing user, in its own folder,
// unless an instance already runs. It must outlive the installer: it leaves
// the installer's job where the system allows. True when it was started.
bool StartInstalledProgram(const std::string& program);

}  // namespace vt
