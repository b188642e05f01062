// Dialog data exchange: one call per control moves a value between a member
// of the dialog object and the control, in the direction the exchange says.
#pragma once
#include <windows.h>

#include <string>

#include "framework/wnd.h"

namespace vt {

class CWindowImpl;

class CDataExchange {
public:
    CDataExchange(const CWnd& dialog, bool saveAndValidate)
        : dlgWnd_(dialog), saveAndValidate_(saveAndValidate) {}

    // The dialog's control with this id; a missing control fails the exchange.
    HWND PrepareCtrl(int id);
    // Marks the exchange as failed and puts the focus on the control (when saving).
    void Fail(HWND control);
    bool Failed() const { return failed_; }

    CWnd dlgWnd_;           // not owned
    bool saveAndValidate_;  // true: controls to members

private:
    bool failed_ = false;
};

// Takes the control over with the object (once; later calls do nothing).
void DDX_Control(CDataExchange& dx, int id, CWindowImpl& control);
// The window text of any control (edit box, static, button).
void DDX_Text(CDataExchange& dx, int id, std::string& value);
// A whole number in an edit box; a text that is not one is refused.
void DDX_Text(CDataExchange& dx, int id, int& value);
// A check box: 0 cleared, 1 checked, 2 indeterminate.
void DDX_Check(CDataExchange& dx, int id, int& value);
// A two-state check box: checked is true.
void DDX_Check(CDataExchange& dx, int id, bool& value);
// A group of radio buttons starting at the button with this id (which has
// the group style): the position of the checked one, -1 for none.
void DDX_Radio(CDataExchange& dx, int id, int& value);
// The selected position of a combo box, -1 for none.
void DDX_CBIndex(CDataExchange& dx, int id, int& index);

// The whole window text of a window of this process, in the process code page.
std::string WindowTextOf(HWND w);

}  // namespace vt
