#include "uikit/menu/newmenuitemdata.h"

#include "uikit/menu/newmenuicons.h"

namespace vt {

CNewMenuItemData::~CNewMenuItemData() { CNewMenuIcons::Release(icons_); }

void CNewMenuItemData::SetIcons(CNewMenuIcons* icons, int imageIndex) {
    CNewMenuIcons::AddRef(icons);
    CNewMenuIcons* old = icons_;
    icons_ = icons;
    imageIndex_ = icons ? imageIndex : -1;
    CNewMenuIcons::Release(old);
}

}  // namespace vt
