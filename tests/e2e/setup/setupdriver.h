// Driving Vantrel's Setup dialog and the dialogs it opens from the test
// process, the way a user's clicks and answers would.
#pragma once
#include <windows.h>

#include <string>

#include "support/session.h"

namespace e2e {

// Visible top-level dialog ("#32770") of a process whose caption is caption
// (any caption if empty) and that is not except; waits up to timeoutMs.
HWND WaitForDialog(DWORD pid, const std::string& caption, DWORD timeoutMs = 10000,
                   HWND except = nullptr);
// Waits until a window is gone (destroyed or hidden).
bool WaitGone(HWND w, DWORD timeoutMs = 10000);
// Once a dialog of the program is destroyed: waits until the program's
// thread is back in a message loop, that is, done with what followed.
bool WaitHandled(HWND dialog, HWND programWindow, DWORD timeoutMs = 10000);

// "Setup..." chosen: the command posted to the running program; the dialog.
HWND OpenSetup(const VantrelRun& run);

// A button press as the button itself reports it, posted, so that a modal
// dialog it opens does not hold the test up.
void Click(HWND dialog, int id);
// The same, handled before this returns (for buttons that open nothing).
void Press(HWND dialog, int id);
bool Checked(HWND dialog, int id);
void SetChecked(HWND dialog, int id, bool on);
bool Enabled(HWND dialog, int id);
// Selected position of a combo box, and the text of one of its items.
int ComboSelection(HWND dialog, int id);
std::string ComboText(HWND dialog, int id, int index);

// The message box of a process showing text; its answer (IDYES, IDNO, IDOK).
HWND WaitForMessageBox(DWORD pid, const std::string& text, DWORD timeoutMs = 10000);
void Answer(HWND box, int button);

// The Setup dialog's folder list (a list view of Vantrel's process).
class RemoteList {
public:
    explicit RemoteList(HWND list) : list_(list) {}
    int Count() const;
    std::string Text(int row, int column) const;
    LPARAM Data(int row) const;
    int Selected() const;  // first selected row, -1 for none
    bool Select(int row) const;

private:
    HWND list_;
};

// The folder browser that Add opens: selects path and confirms.
bool ChooseInFolderBrowser(HWND browser, const std::string& path);
// The Open dialog that Shift+Add opens: types the file name and confirms.
bool ChooseInOpenDialog(HWND dialog, const std::string& file);

// Text of a control of another process (WM_GETTEXT, which the system
// marshals; GetWindowText does not ask another process's controls).
std::string ControlText(HWND w);
// Whether a dialog's button is its default push button.
bool IsDefaultButton(HWND dialog, int id);
// Text of a dialog control of another process as UTF-16 (WM_GETTEXT is
// marshalled by the system).
std::wstring WideTextOf(HWND w);

// Values of the program's registry key as stored now.
int StoredInt(const std::string& section, const char* name, int def = -12345);
std::string StoredString(const std::string& section, const char* name,
                         const std::string& def = "<missing>");
bool StoredValueExists(const std::string& section, const std::string& name);

}  // namespace e2e
