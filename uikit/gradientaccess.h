// Access to the optional gradient call of "msimg32.dll", bound at run time
// like the theme library: the library is loaded from the system folder at
// construction and freed with the object, and a missing library or entry
// point leaves callers to their plain fill.
#pragma once
#include <windows.h>

#include "framework/handles.h"

namespace vt {

class CGradientAccess {
public:
    // A missing library (normally "msimg32.dll") is not an error.
    explicit CGradientAccess(const char* libraryName = "msimg32.dll");

    bool HasGradientFill() const { return gradientFill_ != nullptr; }
    // The system's GradientFill; FALSE when it is missing.
    BOOL GradientFill(HDC dc, PTRIVERTEX vertices, ULONG vertexCount, PVOID mesh, ULONG meshCount,
                      ULONG mode) const;

    CGradientAccess(const CGradientAccess&) = delete;
    CGradientAccess& operator=(const CGradientAccess&) = delete;

private:
    using GradientFillFn = BOOL(WINAPI*)(HDC, PTRIVERTEX, ULONG, PVOID, ULONG, ULONG);

    UniqueModule module_;                    // owned; null when the library is missing
    GradientFillFn gradientFill_ = nullptr;  // into module_
};

// The process-wide gradient access on "msimg32.dll", bound at its first use
// and kept until the process ends.
const CGradientAccess& Gradient();

}  // namespace vt
