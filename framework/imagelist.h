// Image list wrapper. Owns its list unless it was attached as borrowed (the
// shell's system image list, for example, must never be destroyed by us).
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace vt {

class CImageList {
public:
    CImageList() = default;
    virtual ~CImageList() { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    bool Create(int cx, int cy, UINT flags, int initial, int grow) {
        DeleteImageList();
        list_ = ImageList_Create(cx, cy, flags, initial, grow);
        owned_ = true;
        return list_ != nullptr;
    }
    // owned = false: the list belongs to someone else and is only let go of.
    void Attach(HIMAGELIST list, bool owned = true) {
        DeleteImageList();
        list_ = list;
        owned_ = owned;
    }
    HIMAGELIST Detach() {
        owned_ = false;
        return std::exchange(list_, nullptr);
    }
    void DeleteImageList() {
        if (list_ && owned_) ImageList_Destroy(list_);
        list_ = nullptr;
        owned_ = false;
    }

    HIMAGELIST GetSafeHandle() const { return list_; }
    explicit operator bool() const { return list_ != nullptr; }
    int GetImageCount() const { return list_ ? ImageList_GetImageCount(list_) : 0; }
    SIZE GetImageSize() const {
        int cx = 0, cy = 0;
        if (list_) ImageList_GetIconSize(list_, &cx, &cy);
        return SIZE{cx, cy};
    }
    int Add(HBITMAP bmp, COLORREF mask) const {
        return list_ ? ImageList_AddMasked(list_, bmp, mask) : -1;
    }
    int Add(HBITMAP bmp, HBITMAP maskBmp) const {
        return list_ ? ImageList_Add(list_, bmp, maskBmp) : -1;
    }
    int Add(HICON icon) const { return list_ ? ImageList_AddIcon(list_, icon) : -1; }
    int Replace(int index, HICON icon) const {
        return list_ ? ImageList_ReplaceIcon(list_, index, icon) : -1;
    }
    // A new icon handle that the caller owns, or null.
    HICON ExtractIcon(int index, UINT flags = ILD_NORMAL) const {
        return list_ ? ImageList_GetIcon(list_, index, flags) : nullptr;
    }
    bool Draw(HDC dc, int index, POINT pt, UINT style) const {
        return list_ && ImageList_Draw(list_, index, dc, pt.x, pt.y, style);
    }

private:
    HIMAGELIST list_ = nullptr;
    bool owned_ = false;
};

}  // namespace vt
