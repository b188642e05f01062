// The shell's small-icon system image list. The shell owns the list: this
// wrapper only borrows its handle and never destroys it.
#pragma once
#include "framework/imagelist.h"

namespace vt {

class CSystemImageList : public CImageList {
public:
    // Takes the handle of the list the shell uses for small icons.
    CSystemImageList();
    // Lets go of the handle; the list stays with the shell.
    ~CSystemImageList() override;

    // The process-wide object, made on first use and alive until after the
    // program's main code ends.
    static CSystemImageList& Get();
    // Number of live objects of this class.
    static int InstanceCount();
};

}  // namespace vt
