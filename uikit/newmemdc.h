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
    HDC GetSafeHdc() const { return m_hDc ? m_hDc : m_hDcTarget; }
    void SetNoCopyBack() { m_bCancel = TRUE; }

private:
    RECT m_rect;
    HDC m_hDc = nullptr;      // m_ownDc's, or the reused one of the drawing cache
    UniqueMemDC m_ownDc;      // owned, when the reused one is busy or unusable
    bool m_reused = false;
    UniqueBitmap m_bitmap;    // owned, selected while alive
    HGDIOBJ m_oldBitmap = nullptr;
    BOOL m_bCancel = FALSE;
    HDC m_hDcTarget;          // not owned
};

}  // namespace vt
