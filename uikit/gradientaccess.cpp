#include "uikit/gradientaccess.h"

#include "framework/systemlibrary.h"

namespace vt {

CGradientAccess::CGradientAccess(const char* libraryName)
    : module_(libraryName ? LoadSystemLibrary(libraryName) : nullptr) {
    if (module_)
        // Through void*, which keeps the compiler's function-cast check quiet.
        gradientFill_ = reinterpret_cast<GradientFillFn>(
            reinterpret_cast<void*>(GetProcAddress(module_.Get(), "GradientFill")));
}

BOOL CGradientAccess::GradientFill(HDC dc, PTRIVERTEX vertices, ULONG vertexCount, PVOID mesh,
                                   ULONG meshCount, ULONG mode) const {
    return gradientFill_ ? gradientFill_(dc, vertices, vertexCount, mesh, meshCount, mode) : FALSE;
}

const CGradientAccess& Gradient() {
    static const CGradientAccess gradient("msimg32.dll");
    return gradient;
}

}  // namespace vt
