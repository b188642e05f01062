// A counted, shareable collection of menu pictures in one image list.
#pragma once
#include <windows.h>

#include <vector>

#include "framework/imagelist.h"
#include "framework/menu.h"

namespace vt {

// Same-sized pictures in one image list, shared by reference count. Every
// picture i occupies images 3i (picture), 3i+1 (dimmed) and 3i+2 (disabled).
class CNewMenuIcons : public CObject {
public:
    CNewMenuIcons() = default;
    ~CNewMenuIcons() override;
    CNewMenuIcons(const CNewMenuIcons&) = delete;
    CNewMenuIcons& operator=(const CNewMenuIcons&) = delete;

    // Counted references. AddRef on a null collection returns 0.
    static int AddRef(CNewMenuIcons* icons);
    int AddRef() { return ++refCount_; }
    // Drops one reference; a toolkit-made (shared) collection whose count
    // reaches zero leaves the shared list and is deleted. Returns the count.
    static int Release(CNewMenuIcons* icons);
    int RefCount() const { return refCount_; }

    // 3 times the position of id in the id list (searched from the end), -1.
    virtual int IndexOf(UINT id) const;
    // Builds the dimmed and disabled copies of an icon; appends them (index
    // -1) or replaces the image at index. Returns the image index or -1.
    virtual int MakeDimmedImage(HICON icon, int index);
    virtual int MakeDisabledImage(HICON icon, int index);

    SIZE GetImageSize() const;
    int GetImageCount() const { return imageList_.GetImageCount(); }
    HIMAGELIST GetImageList() const { return imageList_.GetSafeHandle(); }
    // Number of pictures (entries of the id list).
    int GetPictureCount() const { return static_cast<int>(ids_.size()); }
    // Changes whenever the images may have changed, and is never the same for
    // two collections: a drawing of an image kept under this value and the
    // index stays true.
    unsigned GetGeneration() const { return generation_; }

    // Colour count of a bitmap from its header (used count, else by depth).
    static int ColorCountOf(const BITMAPINFOHEADER& h);

    int colorCount_ = 0;  // of the last bitmap added
    COLORREF maskColor_ = CLR_NONE;
    CImageList imageList_;  // owned
    std::vector<UINT> ids_;
    int refCount_ = 0;

private:
    unsigned generation_ = 0;

protected:
    // Called before the images change.
    void Touch();
    // Creates the image list on first use; false when the size differs from
    // the collection's image size or creation fails.
    bool EnsureImageList(SIZE size);
    // Appends (index -1) or replaces the three images of one picture.
    int StoreIcon(HICON icon, int index);
    // An image list for pictures of this size.
    static bool CreateImageList(CImageList& list, SIZE size);
    static constexpr int kImageListGrowth = 10;
};

}  // namespace vt
