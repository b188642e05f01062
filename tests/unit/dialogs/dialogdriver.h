// Runs a modal dialog on a thread of its own, so that the test's thread can
// drive it the way a user would: clicks on its buttons, text in its boxes,
// picks from its menus, answers to its message boxes and to the system
// dialogs it opens.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace dlgtest {

class DialogThread {
public:
    // body shows the dialog and returns its result; it runs with COM
    // initialised, as in the program.
    explicit DialogThread(std::function<INT_PTR()> body);
    // A dialog still open is closed (every window of the thread gets
    // WM_CLOSE until the body returns).
    ~DialogThread();
    DialogThread(const DialogThread&) = delete;
    DialogThread& operator=(const DialogThread&) = delete;

    DWORD Id() const { return tid_; }
    // A visible top-level dialog of the thread with this caption.
    HWND WaitForDialog(const std::string& caption, DWORD timeoutMs = 10000) const;
    // A visible top-level window of the thread that is not one of except
    // and holds a child of the class (any window if empty).
    HWND WaitForWindowWithChild(const std::string& childClass, const std::vector<HWND>& except = {},
                                DWORD timeoutMs = 10000) const;
    // A message box of the thread whose text contains text.
    HWND WaitForMessageBox(const std::string& text, DWORD timeoutMs = 10000) const;
    // The visible popup menu window of the thread.
    HWND WaitForMenu(DWORD timeoutMs = 10000) const;
    bool WaitForEnd(DWORD timeoutMs = 10000);
    bool Ended() const;
    INT_PTR Result() const { return result_; }

private:
    std::thread thread_;
    DWORD tid_ = 0;
    HANDLE started_ = nullptr;  // owned event
    volatile LONG ended_ = 0;
    INT_PTR result_ = -2;
};

std::vector<HWND> ThreadWindows(DWORD tid);

// A click on a button, posted: the handler may open a modal window, and the
// test must stay free to drive it.
void Click(HWND dialog, int id);
// Text of a control, and text put into it as a whole.
std::string TextOf(HWND dialog, int id);
void SetText(HWND dialog, int id, const std::string& text);

// The menu shown in a popup menu window.
HMENU MenuOf(HWND menuWindow);
std::vector<std::string> MenuTexts(HWND menuWindow);
// Chooses the item with this command with a mouse click on it; true once
// the menu has closed after the click, false (and nothing clicked) should
// the menu no longer be under the pointer.
bool ClickMenuItem(HWND menuWindow, UINT id);

// Moves the pointer and clicks the left button there, as the mouse would.
// With onlyOver, clicks only if that window is under the pointer; true if
// clicked.
bool ClickAt(POINT screen, HWND onlyOver = nullptr);

}  // namespace dlgtest
