// Helpers of the end-to-end tests: Vantrel.exe as a user starts it, with its
// settings written beforehand, and input injected into the system the way a
// keyboard or a mouse would deliver it.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/folderlist.h"
#include "support/testsupport.h"

namespace e2e {

// The running instance's published main window, or null.
HWND PublishedWindow();

// Every visible popup menu window ("#32768") of a process.
std::vector<HWND> VisibleMenus(DWORD pid);

// Proof that the thread showing an open popup menu has handled every message
// posted to its windows before the call: a thread takes posted messages
// before input, and the menu's highlight moves for Down and again for Up, so
// that its loop has taken both keys. A forwarded start, a hot key or a tray
// click that arrived earlier has been handled then, and a second menu it
// opened would be there. Up from the first item wraps to the last one, from
// which Down, Down reaches the second item as from none.
::testing::AssertionResult MenuTookInput(HWND menu, DWORD timeoutMs = 20000);

// The same for a dialog in front with two controls or more: Tab moves the
// focus, Shift+Tab brings it back. Proof that the dialog's thread has
// handled every message posted to its windows before the call, as a thread
// takes posted messages before input.
::testing::AssertionResult DialogTookInput(HWND dialog, DWORD timeoutMs = 20000);

// Proof that the thread of a dialog has retrieved every input queued for it
// before the call: a letter typed into its focused edit box shows, and its
// deletion restores the text. Keyboard and mouse input of a thread come out of one
// queue in order, so a mouse gesture made before has reached the dialog, and
// a hook that saw it has posted what it posts. The box keeps its text.
::testing::AssertionResult RetrievedEarlierInput(HWND edit, DWORD timeoutMs = 20000);

// What the program writes outside its own key, as a test must find it at its
// start whatever an earlier test (or a faulty build) left: the Explorer verb
// under the user's classes and a machine-wide copy of it, and the Run value.
// Removed when constructed and again when destroyed.
class RegistryBaseline {
public:
    RegistryBaseline();
    ~RegistryBaseline();
    RegistryBaseline(const RegistryBaseline&) = delete;
    RegistryBaseline& operator=(const RegistryBaseline&) = delete;

private:
    static void Clear();
};

// Vantrel.exe and VTHook.dll copied into a fresh folder below %TEMP% whose
// name starts with name (UTF-8: spaces and any script), as a user keeps a
// portable copy; removed with the folder.
class ProgramCopy {
public:
    explicit ProgramCopy(const std::string& name);
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;
    // Both files are in place.
    bool Ok() const { return ok_; }
    const std::string& Dir() const { return dir_.Path(); }
    // Copies a file into the folder under another name; its new path, or ""
    // if the copy failed.
    std::string Put(const std::string& from, const std::string& name) const;

private:
    vt::test::ScratchDir dir_;
    bool ok_ = false;
};

// One Vantrel.exe run. The profile is written before the start and removed
// with everything else when the object goes.
class VantrelRun {
public:
    VantrelRun();
    ~VantrelRun();
    VantrelRun(const VantrelRun&) = delete;
    VantrelRun& operator=(const VantrelRun&) = delete;

    vt::AppSettings settings;
    vt::FolderList folders;
    // The desktop the program starts on (the caller's if empty).
    std::string desktop;
    // The program started (in the tests' bin folder): the shipped one, or
    // a test build of it.
    std::string program = "Vantrel.exe";
    // Start it with the rights of a program not run as administrator.
    bool limitedRights = false;
    // Runs after settings and folders are saved, before the start: a test
    // changes the stored values there as another tool would.
    std::function<void()> editProfile;
    // The folder of the Vantrel.exe (and VTHook.dll) to start, UTF-8; the
    // tests' own folder if empty. It is also the starts' current folder.
    std::string programDir;

    // Saves settings and folders (marked as already run) and starts the
    // program; WaitReady waits until it has published its window. A failure
    // says which start failed and why.
    ::testing::AssertionResult Launch(const std::string& args = "");
    ::testing::AssertionResult WaitReady();
    ::testing::AssertionResult Start(const std::string& args = "") {
        ::testing::AssertionResult launched = Launch(args);
        return launched ? WaitReady() : launched;
    }
    // A second start with these arguments; waits until that process ends.
    ::testing::AssertionResult Forward(const std::string& args);
    // The program file started: programDir (or the tests' folder) + program.
    std::string ProgramPath() const;

    HWND Window() const { return window_; }
    DWORD Pid() const { return process_.Pid(); }
    vt::test::ChildProcess& Process() { return process_; }

    // Waits for the folder menu to be visible; returns its window.
    HWND WaitForMenu(DWORD timeoutMs = 10000) const;
    bool WaitForMenuGone(DWORD timeoutMs = 10000) const;
    bool MenuShown() const { return !VisibleMenus(Pid()).empty(); }

    // Top-level message boxes of the program whose text contains text.
    std::vector<HWND> MessageBoxes(const std::string& text) const;

    // "Show Tray" as stored now.
    DWORD StoredShowTray() const;

private:
    RegistryBaseline baseline_;
    vt::test::ScopedRegTree profile_{HKEY_CURRENT_USER, "Software\\Quorvane."};
    vt::test::ChildProcess process_;
    HWND window_ = nullptr;
    std::string args_;  // of the first start, for failure messages
};

// Key presses and releases as the keyboard driver would deliver them.
void PressKey(WORD vk);
void PressChord(const std::vector<WORD>& modifiers, WORD vk);
// Several chords in one burst of input, as fast as a keyboard can deliver them.
struct Chord {
    std::vector<WORD> modifiers;
    WORD vk;
};
void PressChords(const std::vector<Chord>& chords);
// A shortcut chord pressed until the run's menu shows, at most three times;
// the menu, or null. Under Wine an injected chord is now and then lost right
// after another window came to the front (about once in twenty runs on a
// loaded machine; the same chord pressed again pops the menu). A press that
// arrives while the menu is open is dropped by Vantrel, so a repeat is safe.
HWND PressChordForMenu(const VantrelRun& run, const std::vector<WORD>& modifiers, WORD vk);
// Moves the pointer (screen coordinates), as a mouse would.
void MoveMouse(POINT screen);
void TurnWheel(int clicks);
void RightButtonDown();
void RightButtonUp();

// A path in its long form, lower-cased, for comparing folders.
std::string LongLower(const std::string& path);
// Class, text and process of a window, for failure messages.
std::string Describe(HWND w);

// With the folder menu open: Down, Down, Return picks its second item, and
// the menu must close.
void PickSecondItem(const VantrelRun& run);
// Pops the menu with a second start ("/pop") and picks its second item.
void PopAndPickSecondItem(VantrelRun& run);

// With the folder menu open: Down, Down, Return picks its second item; then
// the file dialog (of another process) must show folder and be in front.
void PickSecondItemAndExpectDialogIn(const VantrelRun& run, HWND dialog, const std::string& folder);

// Brings a window of another process in front and waits until it is there.
bool BringToFront(HWND w);

// The hook library's shared record as every process sees it: the window its
// messages go to and the installed hook, both 0 while no hook is installed.
struct HookRecord {
    LONG target = -1;
    LONG hook = -1;
};
HookRecord ReadHookRecord();

// A folder opened by the shell: an Explorer window of any process whose
// caption names the folder, or null.
HWND ExplorerWindowTitled(const std::string& title);

}  // namespace e2e
