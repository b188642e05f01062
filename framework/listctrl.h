// A list-view control taken over by an object, and the hot-key control.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/wnd.h"

namespace vt {

class CListCtrl : public CWindowImpl {
public:
    DWORD SetExtendedStyle(DWORD style) const {
        return static_cast<DWORD>(SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style));
    }
    HIMAGELIST SetImageList(HIMAGELIST list, int which) const {
        return reinterpret_cast<HIMAGELIST>(SendMessage(
            LVM_SETIMAGELIST, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(list)));
    }
    int InsertColumn(int column, const char* heading, int width) const;
    int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
    // Inserts a row with its text and image; the new row's index or -1.
    int InsertItem(int row, const std::string& text, int image) const;
    bool SetItemText(int row, int column, const std::string& text) const;
    std::string GetItemText(int row, int column) const;
    LPARAM GetItemData(int row) const;
    bool SetItemData(int row, LPARAM data) const;
    int GetItemImage(int row) const;
    bool SetItemImage(int row, int image) const;
    UINT GetItemState(int row, UINT mask) const {
        return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(row), mask));
    }
    bool SetItemState(int row, UINT state, UINT mask) const;
    // The next row after start (-1: from the top) with the given LVNI_ flags.
    int GetNextItem(int start, UINT flags) const {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(start), flags));
    }
    // The first selected row, or -1.
    int GetFirstSelected() const { return GetNextItem(-1, LVNI_SELECTED); }
    bool DeleteItem(int row) const {
        return SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(row)) != 0;
    }
    bool EnsureVisible(int row) const {
        return SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE) != 0;
    }
    bool RedrawItems(int first, int last) const {
        return SendMessage(LVM_REDRAWITEMS, static_cast<WPARAM>(first), last) != 0;
    }
    // Sorts the rows by comparing their item data.
    bool SortItems(PFNLVCOMPARE compare, LPARAM context) const {
        return SendMessage(LVM_SORTITEMS, static_cast<WPARAM>(context),
                           reinterpret_cast<LPARAM>(compare)) != 0;
    }
    // An LVIR_ part of a row in client coordinates.
    RECT GetItemRect(int row, int part) const;
};

class CHotKeyCtrl : public CWindowImpl {
public:
    // Virtual key and HOTKEYF_ modifier bits.
    void SetHotKey(WORD virtualKey, WORD modifiers) const {
        SendMessage(HKM_SETHOTKEY, MAKEWORD(LOBYTE(virtualKey), LOBYTE(modifiers)));
    }
    WORD GetHotKey() const { return LOWORD(SendMessage(HKM_GETHOTKEY)); }
};

}  // namespace vt
