// Product version shared by Vantrel.exe and VTHook.dll: the program loads the
// hook library only when major, minor and build agree.
#pragma once
#ifndef VT_VERSION_MAJOR
#define VT_VERSION_MAJOR 1
#endif
#ifndef VT_VERSION_MINOR
#define VT_VERSION_MINOR 0
#endif
#ifndef VT_VERSION_BUILD
#define VT_VERSION_BUILD 0
#endif
#ifndef VT_VERSION_REVISION
#define VT_VERSION_REVISION 1
#endif
#define VT_STR2(x) #x
#define VT_STR(x) VT_STR2(x)
#define VT_VERSION_STRING    \
    VT_STR(VT_VERSION_MAJOR) \
    "." VT_STR(VT_VERSION_MINOR) "." VT_STR(VT_VERSION_BUILD) "." VT_STR(VT_VERSION_REVISION)
