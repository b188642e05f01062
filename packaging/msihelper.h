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
extern const char kRunKey[];        // Software\Microsoft\Windows\CurrentVersion\Run
extern const char kRunValue[];      // Vantrel
extern const char kVerbKey[];       // Software\Classes\Folder\shell\Add to Vantrel
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

struct ShellCleanup {
    bool runValueRemoved = false;
    bool verbRemoved = false;
};

// Under userRoot (HKEY_CURRENT_USER, or a scratch key in tests): deletes the
// Run value "Vantrel" and the verb key "Add to Vantrel" with its subkeys, each
// only when it starts `program`; entries naming any other program stay.
ShellCleanup RemoveShellIntegration(HKEY userRoot, const std::string& program);

}  // namespace vt
