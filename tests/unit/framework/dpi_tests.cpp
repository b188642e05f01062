// Pixel sizes for a DPI, checked against what the system itself reports for
// the DPI this test's Wine prefix runs at (96 in the ordinary test prefix,
// 144 in the high-DPI one).
#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/dpi.h"

using namespace vt;

namespace {

int ScreenLogPixels() {
    HDC dc = GetDC(nullptr);
    const int d = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return d;
}

// The prefix runs at the DPI the test run asks for: VT_EXPECT_DPI in the
// high-DPI run, else a fresh prefix's 96.
TEST(Dpi, ThePrefixRunsAtTheDpiOfTheRun) {
    const char* want = std::getenv("VT_EXPECT_DPI");
    const int expected = want ? std::atoi(want) : kBaseDpi;
    EXPECT_EQ(SystemDpi(), expected);
    EXPECT_EQ(ScreenLogPixels(), expected);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), SmallIconSizeForDpi(expected));
}

TEST(Dpi, ScalingRoundsToTheNearestPixel) {
    EXPECT_EQ(ScaleForDpi(16, 96), 16);
    EXPECT_EQ(ScaleForDpi(16, 120), 20);
    EXPECT_EQ(ScaleForDpi(16, 144), 24);
    EXPECT_EQ(ScaleForDpi(16, 192), 32);
    EXPECT_EQ(ScaleForDpi(1, 144), 2);  // 1.5
    EXPECT_EQ(ScaleForDpi(3, 120), 4);  // 3.75
    EXPECT_EQ(ScaleForDpi(-2, 144), -3);
}

TEST(Dpi, SmallIconSizeFollowsTheDpiNotTheScreen) {
    EXPECT_EQ(SmallIconSizeForDpi(96), 16);
    EXPECT_EQ(SmallIconSizeForDpi(120), 20);
    EXPECT_EQ(SmallIconSizeForDpi(144), 24);
    EXPECT_EQ(SmallIconSizeForDpi(192), 32);
    // At the system's own DPI it is the system's small-icon metric.
    EXPECT_EQ(SmallIconSizeForDpi(SystemDpi()), GetSystemMetrics(SM_CXSMICON));
}

TEST(Dpi, MonitorsAndWindowsReportTheScreenDpi) {
    const int screen = ScreenLogPixels();
    EXPECT_EQ(SystemDpi(), screen);
    // Wine has one DPI for every monitor: a point anywhere, even off every
    // monitor, gets it.
    EXPECT_EQ(DpiForPoint(POINT{10, 10}), screen);
    EXPECT_EQ(DpiForPoint(POINT{-30000, 30000}), screen);
    HWND w = CreateWindowExA(0, "STATIC", "dpi", WS_POPUP, 50, 50, 40, 40, nullptr, nullptr,
                             nullptr, nullptr);
    ASSERT_TRUE(w);
    EXPECT_EQ(DpiForWindow(w), screen);
    DestroyWindow(w);
    EXPECT_EQ(DpiForWindow(w), screen);  // vanished: the system DPI
    EXPECT_EQ(DpiForWindow(nullptr), screen);
}

TEST(Dpi, MenuFontAndMetricsGrowWithTheDpi) {
    NONCLIENTMETRICSA sys = {};
    sys.cbSize = sizeof sys;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof sys, &sys, 0));
    NONCLIENTMETRICSA here = {}, big = {};
    ASSERT_TRUE(NonClientMetricsForDpi(here, SystemDpi()));
    ASSERT_TRUE(NonClientMetricsForDpi(big, 2 * SystemDpi()));
    // At the system DPI: what the plain call gives.
    EXPECT_EQ(here.lfMenuFont.lfHeight, sys.lfMenuFont.lfHeight);
    EXPECT_STREQ(here.lfMenuFont.lfFaceName, sys.lfMenuFont.lfFaceName);
    EXPECT_EQ(here.iMenuHeight, sys.iMenuHeight);
    // At twice the DPI: twice the font height, give or take the rounding.
    EXPECT_NEAR(std::abs(big.lfMenuFont.lfHeight), 2 * std::abs(sys.lfMenuFont.lfHeight), 1);
    EXPECT_STREQ(big.lfMenuFont.lfFaceName, sys.lfMenuFont.lfFaceName);
    EXPECT_GT(big.iMenuHeight, here.iMenuHeight);
    EXPECT_EQ(SystemMetricForDpi(SM_CYMENU, SystemDpi()), GetSystemMetrics(SM_CYMENU));
    EXPECT_GT(SystemMetricForDpi(SM_CYMENU, 2 * SystemDpi()), GetSystemMetrics(SM_CYMENU));
}

}  // namespace
