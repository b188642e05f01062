#include "framework/ddx.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>

#include <vector>

namespace vt {

HWND CDataExchange::PrepareCtrl(int id) {
    HWND control = dlgWnd_.hwnd_ ? ::GetDlgItem(dlgWnd_.hwnd_, id) : nullptr;
    if (!control) failed_ = true;
    return control;
}

void CDataExchange::Fail(HWND control) {
    failed_ = true;
    if (saveAndValidate_ && control) ::SetFocus(control);
}

std::string WindowTextOf(HWND w) {
    if (!w) return {};
    // The length is counted in the control's own characters; each may take
    // up to three bytes in a multi-byte code page such as UTF-8.
    const int length = ::GetWindowTextLengthA(w);
    if (length <= 0) return {};
    std::vector<char> buf(static_cast<size_t>(length) * 3 + 1, '\0');
    const int n = ::GetWindowTextA(w, buf.data(), static_cast<int>(buf.size()));
    return std::string(buf.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

void DDX_Control(CDataExchange& dx, int id, CWindowImpl& control) {
    if (control.hwnd_) return;
    HWND w = dx.PrepareCtrl(id);
    if (w && !control.SubclassWindow(w)) dx.Fail(w);
}

void DDX_Text(CDataExchange& dx, int id, std::string& value) {
    HWND w = dx.PrepareCtrl(id);
    if (!w) return;
    if (dx.saveAndValidate_)
        value = WindowTextOf(w);
    else
        ::SetWindowTextA(w, value.c_str());
}

void DDX_Text(CDataExchange& dx, int id, int& value) {
    HWND w = dx.PrepareCtrl(id);
    if (!w) return;
    if (!dx.saveAndValidate_) {
        ::SetWindowTextA(w, std::to_string(value).c_str());
        return;
    }
    const std::string text = WindowTextOf(w);
    char* end = nullptr;
    errno = 0;
    const long n = strtol(text.c_str(), &end, 10);
    while (end && (*end == ' ' || *end == '\t')) ++end;
    if (text.empty() || !end || *end != '\0' || errno == ERANGE || n < INT_MIN || n > INT_MAX) {
        dx.Fail(w);
        return;
    }
    value = static_cast<int>(n);
}

void DDX_Check(CDataExchange& dx, int id, int& value) {
    HWND w = dx.PrepareCtrl(id);
    if (!w) return;
    if (dx.saveAndValidate_)
        value = static_cast<int>(::SendMessageA(w, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(w, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Check(CDataExchange& dx, int id, bool& value) {
    int state = value ? BST_CHECKED : BST_UNCHECKED;
    DDX_Check(dx, id, state);
    if (dx.saveAndValidate_) value = state == BST_CHECKED;
}

void DDX_Radio(CDataExchange& dx, int id, int& value) {
    HWND first = dx.PrepareCtrl(id);
    if (!first) return;
    if (dx.saveAndValidate_) value = -1;
    // The group runs from the first button to the next control with the
    // group style.
    int position = 0;
    for (HWND w = first; w; w = ::GetWindow(w, GW_HWNDNEXT), ++position) {
        if (w != first && (::GetWindowLongPtrA(w, GWL_STYLE) & WS_GROUP)) break;
        if (dx.saveAndValidate_) {
            if (::SendMessageA(w, BM_GETCHECK, 0, 0) == BST_CHECKED) value = position;
        } else {
            ::SendMessageA(w, BM_SETCHECK, position == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
}

void DDX_CBIndex(CDataExchange& dx, int id, int& index) {
    HWND w = dx.PrepareCtrl(id);
    if (!w) return;
    if (dx.saveAndValidate_)
        index = static_cast<int>(::SendMessageA(w, CB_GETCURSEL, 0, 0));
    else
        ::SendMessageA(w, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

}  // namespace vt
