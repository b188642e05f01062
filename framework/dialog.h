// Dialogs from template resources, with data exchange between the dialog
// object's members and its controls.
#pragma once
#include <windows.h>

#include "framework/wnd.h"

namespace vt {

class CDataExchange;

// A modal dialog from a template resource. The dialog window is attached to
// the object before its first message (so that owner-draw controls are
// measured by their objects), messages pass through the table first, and
// OnInitDialog, OnOK, OnCancel and DoDataExchange are the usual overridables.
class CDialog : public CWindowImpl {
public:
    CDialog(UINT templateId, HWND parent = nullptr) : templateId_(templateId), parent_(parent) {}

    // Runs the dialog; the result of EndDialog, or -1 when it could not be made.
    INT_PTR DoModal();
    void EndDialog(INT_PTR result);
    // Moves every exchanged value from the controls into the members (save)
    // or the other way; false when a control's value was refused.
    bool UpdateData(bool saveAndValidate = true);

    // Puts the dialog in the middle of its owner, or of the work area of
    // the owner's monitor when the owner is hidden or minimised.
    void CenterWindow() const;

    UINT TemplateId() const { return templateId_; }
    // The parent window given at construction (may be null).
    HWND ParentWindow() const { return parent_; }

protected:
    // Exchanges members and controls (the controls first: DDX_Control).
    virtual void DoDataExchange(CDataExchange&) {}
    // Transfers the members to the controls; TRUE puts the focus on the
    // first tab stop. A top-level dialog is then centred (CenterWindow).
    virtual BOOL OnInitDialog();
    // Takes the controls' values and ends with IDOK, unless one is refused.
    virtual void OnOK();
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    bool OnUnhandledCommand(UINT id, UINT code) override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;

    UINT templateId_;
    HWND parent_;  // not owned

private:
    static INT_PTR CALLBACK StaticDlgProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
};

}  // namespace vt
