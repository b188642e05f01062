// Menu pictures from bitmap resources and icons.
#pragma once
#include <windows.h>

#include <vector>

#include "uikit/menu/newmenuicons.h"

namespace vt {

// A collection of bitmaps and icons with one mask colour per picture.
class CNewMenuBitmaps : public CNewMenuIcons {
public:
    ~CNewMenuBitmaps() override;

    // The picture's base index; an id already present returns its index
    // without loading anything. -1 on failure (missing resource, size
    // mismatch). The resource comes from module (null: the program).
    int AddBitmap(UINT bitmapId, COLORREF mask, HMODULE module = nullptr);
    // Adds (or, for a non-zero id already present, replaces) an icon; the
    // caller keeps the icon handle. -1 on failure.
    int AddIcon(HICON icon, UINT id = 0);

    std::vector<DWORD> maskColors_;
};

}  // namespace vt
