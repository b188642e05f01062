// Group headings: the bold text, the line after it, and how the line follows
// the heading's text, size and position.
#include <gtest/gtest.h>

#include "framework/gdi.h"
#include "support/testsupport.h"
#include "uikit/controls/staticseparator.h"

using namespace vt;

namespace {

class Headings : public ::testing::Test {
protected:
    void SetUp() override {
        CWindowImpl::RegisterClass("VtHeadingsParent", 0,
                                   reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        ASSERT_TRUE(parent_.CreateEx(0, "VtHeadingsParent", "headings", WS_POPUP | WS_VISIBLE, 50,
                                     50, 400, 200, nullptr, nullptr));
        font_.Reset(
            CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma"));
    }

    // A static control with the dialog font, taken over by heading.
    HWND MakeHeading(CStaticSeparator& heading, const char* text, int width = 300) {
        HWND w = CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT, 10, 10, width,
                                 14, parent_.hwnd_, reinterpret_cast<HMENU>(1031),
                                 GetModuleHandleA(nullptr), nullptr);
        SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
        EXPECT_TRUE(heading.SubclassWindow(w));
        return w;
    }

    // Where the line lies in the heading's client coordinates.
    static RECT LineRect(const CStaticSeparator& heading) {
        RECT r = heading.Line().GetWindowRect();
        MapWindowPoints(nullptr, heading.hwnd_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    // Width and height of text (plus the space before the line) in the bold font.
    static SIZE BoldExtent(const CStaticSeparator& heading, const std::string& text) {
        SIZE s = {};
        HDC dc = GetDC(heading.hwnd_);
        ScopedSelect f(dc, heading.BoldFont());
        GetTextExtentPoint32A(dc, (text + " ").c_str(), static_cast<int>(text.size() + 1), &s);
        ReleaseDC(heading.hwnd_, dc);
        return s;
    }

    CWindowImpl parent_;
    UniqueFont font_;
    CThemeAccess plain_{"no-such-theme-library.dll"};
    CThemeAccess themed_{test::BinPath("vtfaketheme.dll").c_str()};
};

TEST_F(Headings, TheLineFollowsTheTextAndTheWidth) {
    CStaticSeparator heading(plain_);
    HWND w = MakeHeading(heading, "Folder Path");
    // The text turns bold: the control's own font at weight 700.
    LOGFONTA lf = {};
    ASSERT_TRUE(
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)), sizeof lf, &lf));
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfHeight, -11);
    EXPECT_STREQ(lf.lfFaceName, "Tahoma");

    // The line: a child with id 0xFFFF from the end of the text (and a
    // space) to the right edge, the heading's full height.
    ASSERT_TRUE(heading.Line());
    EXPECT_EQ(GetDlgCtrlID(heading.Line().hwnd_), 0xFFFF);
    EXPECT_EQ(GetParent(heading.Line().hwnd_), w);
    EXPECT_TRUE(GetWindowLongPtrA(heading.Line().hwnd_, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    RECT line = LineRect(heading);
    EXPECT_EQ(line.left, BoldExtent(heading, "Folder Path").cx);
    EXPECT_EQ(line.right, 300);
    EXPECT_EQ(line.top, 0);
    EXPECT_EQ(line.bottom, 14);

    // Another text moves the line to start after it.
    SetWindowTextA(w, "Icon:");
    ASSERT_TRUE(heading.Line());
    line = LineRect(heading);
    EXPECT_EQ(line.left, BoldExtent(heading, "Icon:").cx);
    EXPECT_LT(line.left, BoldExtent(heading, "Folder Path").cx);
    EXPECT_EQ(line.right, 300);

    // Forty pixels wider, forty pixels more line; moving keeps it in place.
    const int before = line.right - line.left;
    SetWindowPos(w, nullptr, 0, 0, 340, 14, SWP_NOMOVE | SWP_NOZORDER);
    line = LineRect(heading);
    EXPECT_EQ(line.right - line.left, before + 40);
    EXPECT_EQ(line.left, BoldExtent(heading, "Icon:").cx);
    SetWindowPos(w, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    line = LineRect(heading);
    EXPECT_EQ(line.left, BoldExtent(heading, "Icon:").cx);
    EXPECT_EQ(line.right, 340);

    // Narrower than the text: no line width left, never a negative one.
    SetWindowPos(w, nullptr, 0, 0, 10, 14, SWP_NOMOVE | SWP_NOZORDER);
    line = LineRect(heading);
    EXPECT_EQ(line.right - line.left, 0);
    SetWindowPos(w, nullptr, 0, 0, 200, 14, SWP_NOMOVE | SWP_NOZORDER);
    line = LineRect(heading);
    EXPECT_EQ(line.left, BoldExtent(heading, "Icon:").cx);
    EXPECT_EQ(line.right, 200);

    // A mnemonic's '&' is not shown, so it takes no room before the line.
    SetWindowTextA(w, "&Title");
    EXPECT_EQ(LineRect(heading).left, BoldExtent(heading, "Title").cx);

    // An empty text has no line at all.
    SetWindowTextA(w, "");
    EXPECT_FALSE(heading.Line());
    SetWindowPos(w, nullptr, 0, 0, 260, 14, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_FALSE(heading.Line());
}

TEST_F(Headings, AnEmptyHeadingStartsWithoutALine) {
    CStaticSeparator heading(plain_);
    MakeHeading(heading, "");
    EXPECT_FALSE(heading.Line());
    EXPECT_TRUE(heading.BoldFont());
}

TEST_F(Headings, WithVisualStylesTheLineStartsAThirdOfTheTextHeightLower) {
    ASSERT_TRUE(themed_.IsAppThemed());
    CStaticSeparator heading(themed_);
    MakeHeading(heading, "Title");
    const SIZE text = BoldExtent(heading, "Title");
    const RECT line = LineRect(heading);
    EXPECT_EQ(line.top, text.cy / 3);
    EXPECT_EQ(line.left, text.cx);
}

// The pixels of a window printed into a surface of its size.
std::vector<COLORREF> Printed(HWND w, int& width, int& height) {
    RECT rc;
    GetClientRect(w, &rc);
    width = rc.right;
    height = rc.bottom;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SendMessageA(w, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    std::vector<COLORREF> px;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) px.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return px;
}

TEST_F(Headings, ThePlainLineIsEtchedAcrossTheMiddle) {
    CStaticSeparator heading(plain_);
    MakeHeading(heading, "Folder Path");
    int w = 0, h = 0;
    auto px = Printed(heading.Line().hwnd_, w, h);
    ASSERT_GT(w, 10);
    const int y = (h - 1) / 2;
    auto at = [&](int x, int yy) { return px[static_cast<size_t>(yy * w + x)]; };
    // Shadow above highlight, from two pixels in to two pixels before the end.
    for (int x = 2; x < w - 2; ++x) {
        ASSERT_EQ(at(x, y), GetSysColor(COLOR_BTNSHADOW)) << x;
        ASSERT_EQ(at(x, y + 1), GetSysColor(COLOR_BTNHIGHLIGHT)) << x;
    }
    // The rest is the face colour, the ends included.
    EXPECT_EQ(at(1, y), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(at(w - 2, y), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(at(5, 0), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(at(5, h - 1), GetSysColor(COLOR_BTNFACE));

    // Higher than wide: the line stands upright.
    CSeparator upright(plain_);
    ASSERT_TRUE(upright.Create(WS_CHILD | WS_VISIBLE, RECT{10, 40, 20, 140}, parent_.hwnd_, 7));
    px = Printed(upright.hwnd_, w, h);
    const int x = (w - 1) / 2;
    for (int yy = 2; yy < h - 2; ++yy) {
        ASSERT_EQ(at(x, yy), GetSysColor(COLOR_BTNSHADOW)) << yy;
        ASSERT_EQ(at(x + 1, yy), GetSysColor(COLOR_BTNHIGHLIGHT)) << yy;
    }
}

}  // namespace
