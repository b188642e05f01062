#include "framework/listctrl.h"

#include <vector>

namespace vt {

int CListCtrl::InsertColumn(int column, const char* heading, int width) const {
    LVCOLUMNA c = {};
    c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    c.pszText = const_cast<char*>(heading);
    c.cx = width;
    c.iSubItem = column;
    return static_cast<int>(
        SendMessage(LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c)));
}

int CListCtrl::InsertItem(int row, const std::string& text, int image) const {
    LVITEMA it = {};
    it.mask = LVIF_TEXT | LVIF_IMAGE;
    it.iItem = row;
    it.pszText = const_cast<char*>(text.c_str());
    it.iImage = image;
    return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it)));
}

bool CListCtrl::SetItemText(int row, int column, const std::string& text) const {
    LVITEMA it = {};
    it.iSubItem = column;
    it.pszText = const_cast<char*>(text.c_str());
    return SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it)) !=
           0;
}

std::string CListCtrl::GetItemText(int row, int column) const {
    // Grows until the text fits; a path may be long and multi-byte.
    for (size_t size = 512;; size *= 4) {
        std::vector<char> buf(size, '\0');
        LVITEMA it = {};
        it.iSubItem = column;
        it.pszText = buf.data();
        it.cchTextMax = static_cast<int>(size);
        const auto n = static_cast<size_t>(
            SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it)));
        if (n + 1 < size || size >= 65536) return std::string(buf.data(), n < size ? n : size - 1);
    }
}

LPARAM CListCtrl::GetItemData(int row) const {
    LVITEMA it = {};
    it.mask = LVIF_PARAM;
    it.iItem = row;
    return SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it)) ? it.lParam : 0;
}

bool CListCtrl::SetItemData(int row, LPARAM data) const {
    LVITEMA it = {};
    it.mask = LVIF_PARAM;
    it.iItem = row;
    it.lParam = data;
    return SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it)) != 0;
}

int CListCtrl::GetItemImage(int row) const {
    LVITEMA it = {};
    it.mask = LVIF_IMAGE;
    it.iItem = row;
    return SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it)) ? it.iImage : -1;
}

bool CListCtrl::SetItemImage(int row, int image) const {
    LVITEMA it = {};
    it.mask = LVIF_IMAGE;
    it.iItem = row;
    it.iImage = image;
    return SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&it)) != 0;
}

bool CListCtrl::SetItemState(int row, UINT state, UINT mask) const {
    LVITEMA it = {};
    it.state = state;
    it.stateMask = mask;
    return SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&it)) !=
           0;
}

RECT CListCtrl::GetItemRect(int row, int part) const {
    RECT r = {};
    r.left = part;
    if (!SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r)))
        return RECT{};
    return r;
}

}  // namespace vt
