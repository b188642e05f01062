#include <gtest/gtest.h>

#include "fake_theme.h"
#include "framework/gdi.h"
#include "support/testsupport.h"
#include "uikit/gradientaccess.h"
#include "uikit/theme.h"

using namespace vt;

namespace {

// Every call of a theme access whose library or entry points are missing
// gives the answer of a system without visual styles.
void ExpectPlainAnswers(const CThemeAccess& theme) {
    HWND desktop = GetDesktopWindow();
    EXPECT_EQ(theme.IsAppThemed(), FALSE);
    EXPECT_EQ(theme.OpenThemeData(desktop, L"BUTTON"), nullptr);
    EXPECT_EQ(theme.CloseThemeData(FakeThemeHandle()), E_FAIL);
    HDC dc = GetDC(nullptr);
    RECT r = {0, 0, 10, 10};
    EXPECT_EQ(theme.DrawThemeBackground(FakeThemeHandle(), dc, 1, 1, &r, nullptr), E_FAIL);
    ReleaseDC(nullptr, dc);
}

TEST(ThemeAccess, MissingLibraryReportsNoVisualStyles) {
    CThemeAccess theme("vt_no_such_theme_library.dll");
    EXPECT_FALSE(theme.IsLibraryLoaded());
    ExpectPlainAnswers(theme);
}

TEST(ThemeAccess, LibraryWithoutTheEntryPointsReportsNoVisualStyles) {
    CThemeAccess theme("msimg32.dll");
    ASSERT_TRUE(theme.IsLibraryLoaded());
    ExpectPlainAnswers(theme);
}

TEST(ThemeAccess, ForwardsEveryArgumentAndResultUnchanged) {
    const std::string path = test::BinPath("vtfaketheme.dll");
    CThemeAccess theme(path.c_str());
    ASSERT_TRUE(theme.IsLibraryLoaded()) << path;
    HMODULE lib = GetModuleHandleA(path.c_str());
    ASSERT_NE(lib, nullptr);
    using RecordedFn = const FakeThemeCalls*(WINAPI*)();
    auto recorded = reinterpret_cast<RecordedFn>(
        reinterpret_cast<void*>(GetProcAddress(lib, "FakeThemeRecordedCalls")));
    ASSERT_NE(recorded, nullptr);
    const FakeThemeCalls* calls = recorded();

    EXPECT_EQ(theme.IsAppThemed(), TRUE);

    HWND window = GetDesktopWindow();
    const wchar_t* classList = L"MENU;WINDOW";
    EXPECT_EQ(theme.OpenThemeData(window, classList), FakeThemeHandle());
    EXPECT_EQ(calls->openWindow, window);
    EXPECT_EQ(calls->openClassList, classList);

    HDC dc = GetDC(nullptr);
    RECT rect = {1, 2, 30, 40};
    RECT clip = {5, 6, 7, 8};
    EXPECT_EQ(theme.DrawThemeBackground(FakeThemeHandle(), dc, 3, 5, &rect, &clip),
              MAKE_HRESULT(0, 0x77, 3 * 16 + 5));
    EXPECT_EQ(calls->drawTheme, FakeThemeHandle());
    EXPECT_EQ(calls->drawDC, dc);
    EXPECT_EQ(calls->drawRect, &rect);
    EXPECT_EQ(calls->drawClip, &clip);
    ReleaseDC(nullptr, dc);

    EXPECT_EQ(theme.CloseThemeData(FakeThemeHandle()), S_OK);
    EXPECT_EQ(theme.CloseThemeData(nullptr), E_HANDLE);
    EXPECT_EQ(calls->closedTheme, nullptr);
}

TEST(ThemeAccess, ReleasesItsLibraryWhenDestroyed) {
    const std::string path = test::BinPath("vtfaketheme.dll");
    ASSERT_EQ(GetModuleHandleA(path.c_str()), nullptr);
    {
        CThemeAccess theme(path.c_str());
        EXPECT_NE(GetModuleHandleA(path.c_str()), nullptr);
    }
    EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr);
}

TEST(ThemeAccess, ProcessWideObjectBindsTheSystemThemeLibrary) {
    // Bound before main: the library is already in the process.
    EXPECT_TRUE(Theme().IsLibraryLoaded());
    EXPECT_EQ(&Theme(), &Theme());
    HMODULE ux = GetModuleHandleA("uxtheme.dll");
    ASSERT_NE(ux, nullptr);
    using IsAppThemedFn = BOOL(WINAPI*)();
    auto direct =
        reinterpret_cast<IsAppThemedFn>(reinterpret_cast<void*>(GetProcAddress(ux, "IsAppThemed")));
    ASSERT_NE(direct, nullptr);
    EXPECT_EQ(Theme().IsAppThemed(), direct());
}

TEST(ThemeAccess, WhetherStylesAreActiveIsForwardedOrNoWithoutTheEntryPoint) {
    const std::string path = test::BinPath("vtfaketheme.dll");
    CThemeAccess fake(path.c_str());
    ASSERT_TRUE(fake.IsLibraryLoaded()) << path;
    EXPECT_EQ(fake.IsThemeActive(), 7);
    EXPECT_EQ(CThemeAccess("vt_no_such_theme_library.dll").IsThemeActive(), FALSE);
    EXPECT_EQ(CThemeAccess("msimg32.dll").IsThemeActive(), FALSE);
}

// Blue channel of each pixel of a row drawn with the gradient from black at
// the left to blue at the right, over white.
std::vector<int> GradientRowBlue(const CGradientAccess& gradient, BOOL& result) {
    const int w = 64, h = 4;
    BITMAPINFO bi = TopDown32BitInfo(w, h);
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all = {0, 0, w, h};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    TRIVERTEX v[2] = {};
    v[1].x = w;
    v[1].y = h;
    v[1].Blue = 0xFF00;
    GRADIENT_RECT r = {0, 1};
    result = gradient.GradientFill(dc, v, 2, &r, 1, GRADIENT_FILL_RECT_H);
    GdiFlush();
    std::vector<int> blue;
    for (int x = 0; x < w; ++x) blue.push_back(static_cast<const DWORD*>(bits)[w + x] & 0xFF);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return blue;
}

TEST(GradientAccess, WithoutTheLibraryNothingIsDrawnAndTheCallSaysSo) {
    CGradientAccess missing("vt_no_such_gradient_library.dll");
    EXPECT_FALSE(missing.HasGradientFill());
    BOOL result = TRUE;
    const std::vector<int> blue = GradientRowBlue(missing, result);
    EXPECT_EQ(result, FALSE);
    for (int b : blue) EXPECT_EQ(b, 0xFF) << "white left as it was";
    // A library without the entry point is the same.
    EXPECT_FALSE(CGradientAccess("uxtheme.dll").HasGradientFill());
}

TEST(GradientAccess, ProcessWideObjectDrawsWithTheSystemsGradient) {
    EXPECT_EQ(&Gradient(), &Gradient());
    ASSERT_TRUE(Gradient().HasGradientFill());
    BOOL result = FALSE;
    const std::vector<int> blue = GradientRowBlue(Gradient(), result);
    EXPECT_TRUE(result);
    EXPECT_LT(blue.front(), 16);
    EXPECT_GT(blue.back(), 0xF0 - 16);
    for (size_t x = 1; x < blue.size(); ++x) EXPECT_GE(blue[x], blue[x - 1]) << x;
}

}  // namespace
