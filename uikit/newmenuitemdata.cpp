#include "uikit/newmenuitemdata.h"

#include "uikit/newmenuicons.h"

namespace vt {

CNewMenuItemData::~CNewMenuItemData() { CNewMenuIcons::Release(m_pMenuIcon); }

void CNewMenuItemData::SetIcons(CNewMenuIcons* icons, int imageIndex) {
    CNewMenuIcons::AddRef(icons);
    CNewMenuIcons* old = m_pMenuIcon;
    m_pMenuIcon = icons;
    m_nMenuIconOffset = icons ? imageIndex : -1;
    CNewMenuIcons::Release(old);
}

}  // namespace vt
