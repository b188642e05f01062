// The edit of a simple combo box: the frame goes on the combo box around it.
#pragma once
#include <windows.h>

#include "uikit/dialoglook/ccmedit.h"

namespace vt {

class CCoolControlsManager::CCMEditCombo : public CCoolControlsManager::CCMEdit {
public:
    using CCMEdit::CCMEdit;
    HDC GetDrawDC(RECT& rect) override;
};

}  // namespace vt
