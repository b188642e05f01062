// The common controls and COM are bound at the first call of one of their
// functions, through LoadSystemLibrary once the program has asked for it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "framework/systemlibrary.h"

namespace {

TEST(DelayedImports, TheFirstCallLoadsTheLibraryFromTheSystemAndWorks) {
    // Each case runs in a process of its own: nothing has called them yet.
    ASSERT_EQ(GetModuleHandleA("comctl32.dll"), nullptr) << "loaded before the first call";
    vt::LoadDelayedImportsFromSystem();

    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 1);
    ASSERT_NE(list, nullptr);
    HMODULE controls = GetModuleHandleA("comctl32.dll");
    ASSERT_NE(controls, nullptr);
    char path[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(controls, path, sizeof path), 0u);
    // From the system (its folder or the side-by-side store below Windows),
    // never from the program's folder.
    char windows[MAX_PATH] = {};
    ASSERT_GT(GetWindowsDirectoryA(windows, sizeof windows), 0u);
    EXPECT_EQ(_strnicmp(path, windows, strlen(windows)), 0) << path;
    EXPECT_EQ(ImageList_GetImageCount(list), 0);
    EXPECT_TRUE(ImageList_Destroy(list));

    // COM the same way, and it works as if imported.
    const HRESULT hr = CoInitialize(nullptr);
    EXPECT_TRUE(SUCCEEDED(hr)) << std::hex << hr;
    EXPECT_NE(GetModuleHandleA("ole32.dll"), nullptr);
    if (SUCCEEDED(hr)) CoUninitialize();
}

}  // namespace
