// The contract between Vantrel.exe and VTHook.dll: the two exports and the two
// registered messages the hook posts. Both sides include this header, so the
// names cannot drift apart.
#pragma once
#include <windows.h>

namespace vthook {

constexpr const char kLibraryName[] = "VTHook.dll";
constexpr const char kInstallHookExport[] = "InstallHook";
constexpr const char kUninstallHookExport[] = "UninstallHook";

// Posted (wParam 0, lParam 0) when any thread retrieves WM_NCRBUTTONDOWN.
constexpr const char kRightButtonMessageName[] =
    "UWM_VTHOOK_RDN_MSG-44E531B1_14D3_11D5_A025_006067718D04";
// Posted (wParam 0, lParam 0) when any thread retrieves WM_MOUSEWHEEL.
constexpr const char kWheelMessageName[] =
    "UWM_VTHOOK_WHL_MSG-44E531B1_14D3_11D5_A025_006067718D04";

// InstallHook(window): 1 when the hook is installed, 0 on failure.
using InstallHookFn = int(__cdecl*)(HWND);
using UninstallHookFn = void(__cdecl*)();

}  // namespace vthook
