#include "uikit/menu/newmemdc.h"

#include "uikit/menu/menudrawingcache.h"

namespace vt {

CNewMemDC::CNewMemDC(HDC target, const RECT& rect) : rect_(rect), targetDc_(target) {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    if (w > 0 && h > 0) {
        // The drawing cache's DC and surface when they are free.
        if ((dc_ = menu::TakeDrawDc(target))) {
            HBITMAP surface = menu::TakeDrawBitmap(w, h);
            oldBitmap_ = surface ? SelectObject(dc_, surface) : nullptr;
            reused_ = oldBitmap_ != nullptr;
            if (!reused_) {  // not usable after all: a DC of its own
                menu::ReturnDrawDc();
                dc_ = nullptr;
            }
        }
        if (!dc_) {
            bitmap_.Reset(CreateCompatibleBitmap(target, w, h));
            if (bitmap_) ownDc_.Reset(CreateCompatibleDC(target));
            if (ownDc_) {
                dc_ = ownDc_.Get();
                oldBitmap_ = SelectObject(dc_, bitmap_.Get());
            }
        }
    }
    if (dc_ && oldBitmap_) {
        SetWindowOrgEx(dc_, rect.left, rect.top, nullptr);
    } else {
        // No memory surface: the item is drawn straight onto the target.
        dc_ = nullptr;
        noCopyBack_ = TRUE;
    }
}

CNewMemDC::~CNewMemDC() {
    if (!dc_) return;  // drawn straight onto the target
    if (!noCopyBack_) {
        BitBlt(targetDc_, rect_.left, rect_.top, rect_.right - rect_.left, rect_.bottom - rect_.top,
               dc_, rect_.left, rect_.top, SRCCOPY);
    }
    if (oldBitmap_) SelectObject(dc_, oldBitmap_);
    if (reused_) menu::ReturnDrawDc();
}

}  // namespace vt
