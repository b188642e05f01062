#include "uikit/newmemdc.h"

#include "uikit/menudrawingcache.h"

namespace vt {

CNewMemDC::CNewMemDC(HDC target, const RECT& rect) : m_rect(rect), m_hDcTarget(target) {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w > 0 && h > 0) {
        // The drawing cache's DC and surface when they are free.
        if ((m_hDc = menu::TakeDrawDc(target))) {
            HBITMAP surface = menu::TakeDrawBitmap(w, h);
            m_oldBitmap = surface ? SelectObject(m_hDc, surface) : nullptr;
            m_reused = m_oldBitmap != nullptr;
            if (!m_reused) {  // not usable after all: a DC of its own
                menu::ReturnDrawDc();
                m_hDc = nullptr;
            }
        }
        if (!m_hDc) {
            m_bitmap.Reset(CreateCompatibleBitmap(target, w, h));
            if (m_bitmap) m_ownDc.Reset(CreateCompatibleDC(target));
            if (m_ownDc) {
                m_hDc = m_ownDc.Get();
                m_oldBitmap = SelectObject(m_hDc, m_bitmap.Get());
            }
        }
    }
    if (m_hDc && m_oldBitmap) {
        SetWindowOrgEx(m_hDc, rect.left, rect.top, nullptr);
    } else {
        // No memory surface: the item is drawn straight onto the target.
        m_hDc = nullptr;
        m_bCancel = TRUE;
    }
}

CNewMemDC::~CNewMemDC() {
    if (!m_hDc) return;  // drawn straight onto the target
    if (!m_bCancel) {
        BitBlt(m_hDcTarget, m_rect.left, m_rect.top, m_rect.right - m_rect.left,
               m_rect.bottom - m_rect.top, m_hDc, m_rect.left, m_rect.top, SRCCOPY);
    }
    if (m_oldBitmap) SelectObject(m_hDc, m_oldBitmap);
    if (m_reused) menu::ReturnDrawDc();
}

}  // namespace vt
