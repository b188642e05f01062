// Off-screen surface for one menu item: drawing uses the target's
// coordinates and the result is copied back in one BitBlt on destruction,
// unless cancelled.
#pragma once
#include <windows.h>

#include "framework/handles.h"

namespace vt {

class CNewMemDC {
public:
    CNewMemDC(HDC target, const RECT& rect);
    ~CNewMemDC();
    CNewMemDC(const CNewMemDC&) = delete;
    CNewMemDC& operator=(const CNewMemDC&) = delete;
    // The memory surface, or the target itself when none could be made.
    HDC GetSafeHdc() const { return dc_ ? dc_ : targetDc_; }
    void SetNoCopyBack() { noCopyBack_ = TRUE; }

private:
    RECT rect_;
    HDC dc_ = nullptr;   // ownDc_'s, or the reused one of the drawing cache
    UniqueMemDC ownDc_;  // owned, when the reused one is busy or unusable
    bool reused_ = false;
    UniqueBitmap bitmap_;  // owned, selected while alive
    HGDIOBJ oldBitmap_ = nullptr;
    BOOL noCopyBack_ = FALSE;
    HDC targetDc_;  // not owned
};

}  // namespace vt
