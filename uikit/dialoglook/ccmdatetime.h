// A date-time picker: drawn as a combo box, or bordered only with up-down arrows.
#pragma once
#include <windows.h>

#include "uikit/dialoglook/ccmcombobox.h"

namespace vt {

class CCoolControlsManager::CCMDateTime : public CCoolControlsManager::CCMComboBox {
public:
    using CCMComboBox::CCMComboBox;
    void DrawFrame(HDC dc, const RECT& rect) override;
};

}  // namespace vt
