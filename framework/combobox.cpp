#include "framework/combobox.h"

#include <vector>

namespace vt {

std::string CComboBox::GetLBText(int index) const {
    const LRESULT length = SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR || length <= 0) return {};
    // Counted in the box's own characters: room for three bytes each.
    std::vector<char> buf(static_cast<size_t>(length) * 3 + 1, '\0');
    const LRESULT n =
        SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buf.data()));
    return n == CB_ERR ? std::string() : std::string(buf.data());
}

bool CComboBox::OnChildNotify(UINT msg, WPARAM, LPARAM l, LRESULT& result) {
    switch (msg) {
        case WM_DRAWITEM:
            DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(l));
            result = TRUE;
            return true;
        case WM_MEASUREITEM:
            MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(l));
            result = TRUE;
            return true;
        case WM_DELETEITEM:
            DeleteItem(reinterpret_cast<DELETEITEMSTRUCT*>(l));
            result = TRUE;
            return true;
        case WM_COMPAREITEM:
            result = CompareItem(reinterpret_cast<COMPAREITEMSTRUCT*>(l));
            return true;
        default:
            return false;
    }
}

}  // namespace vt
