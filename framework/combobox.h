// A combo box taken over by an object. Owner-drawn combo boxes get their
// parent's drawing, measuring, deleting and comparing requests through the
// virtual operations below.
#pragma once
#include <string>

#include "framework/wnd.h"

namespace vt {

class CComboBox : public CWindowImpl {
public:
    int AddString(const char* text) const {
        return static_cast<int>(SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)));
    }
    int InsertString(int index, const char* text) const {
        return static_cast<int>(SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(index),
                                            reinterpret_cast<LPARAM>(text)));
    }
    int DeleteString(int index) const {
        return static_cast<int>(SendMessage(CB_DELETESTRING, static_cast<WPARAM>(index)));
    }
    void ResetContent() const { SendMessage(CB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetCurSel(int index) const {
        return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index)));
    }
    ULONG_PTR GetItemData(int index) const {
        return static_cast<ULONG_PTR>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index)));
    }
    int SetItemData(int index, ULONG_PTR data) const {
        return static_cast<int>(
            SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)));
    }
    // index -1 is the selection field; 0 the list items of a fixed-height box.
    int GetItemHeight(int index) const {
        return static_cast<int>(SendMessage(CB_GETITEMHEIGHT, static_cast<WPARAM>(index)));
    }
    int SetItemHeight(int index, int height) const {
        return static_cast<int>(SendMessage(CB_SETITEMHEIGHT, static_cast<WPARAM>(index), height));
    }
    std::string GetLBText(int index) const;
    bool GetDroppedState() const { return SendMessage(CB_GETDROPPEDSTATE) != 0; }
    void ShowDropDown(bool show = true) const { SendMessage(CB_SHOWDROPDOWN, show); }

    // Owner-draw requests for this box; the base draws and measures nothing.
    virtual void DrawItem(DRAWITEMSTRUCT*) {}
    virtual void MeasureItem(MEASUREITEMSTRUCT*) {}
    virtual void DeleteItem(DELETEITEMSTRUCT*) {}
    virtual int CompareItem(COMPAREITEMSTRUCT*) { return 0; }

    bool OnChildNotify(UINT msg, WPARAM w, LPARAM l, LRESULT& result) override;
};

}  // namespace vt
