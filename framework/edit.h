// An edit box taken over by an object.
#pragma once
#include "framework/wnd.h"

namespace vt {

class CEdit : public CWindowImpl {
public:
    void SetSel(int start, int end) const {
        SendMessage(EM_SETSEL, static_cast<WPARAM>(start), end);
    }
    void SetReadOnly(bool on) const { SendMessage(EM_SETREADONLY, on); }
    void LimitText(int chars) const { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(chars)); }
};

}  // namespace vt
