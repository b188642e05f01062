// One owner-drawn menu item's data.
#pragma once
#include <windows.h>

#include <string>

#include "framework/menu.h"

namespace vt {

class CNewMenuIcons;

// One owner-drawn item; its address is the item's data value in the menu.
class CNewMenuItemData : public CObject {
public:
    ~CNewMenuItemData() override;
    // Replaces the collection reference: the new one is counted before the
    // old one is released (the same collection may be passed again).
    void SetIcons(CNewMenuIcons* icons, int imageIndex);

    std::string text_;                // label, optional tab + accelerator
    int titleFlags_ = 0;              // bit 0 title item, bit 1 vertical title
    UINT flags_ = 0;                  // append flags, always with MF_OWNERDRAW
    UINT_PTR id_ = 0;                 // command id, or submenu handle for popups
    CNewMenuIcons* icons_ = nullptr;  // counted reference, may be null
    int imageIndex_ = -1;             // image index in the collection, -1 none

    bool IsSeparator() const { return (flags_ & MF_SEPARATOR) != 0; }
    // A separator that names the group below it: bold text, then the line.
    bool IsHeading() const { return IsSeparator() && (titleFlags_ & 1) && !text_.empty(); }
};

}  // namespace vt
