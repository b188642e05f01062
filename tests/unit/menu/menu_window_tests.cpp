// Real popup menus tracked under the display: the menu hook's frame, size
// changes and shadow, read back from the menu window's own surface.
#include <gtest/gtest.h>

#include <vector>

#include "framework/menu.h"
#include "menu_canvas.h"
#include "support/testsupport.h"
#include "uikit/menu/menuhook.h"
#include "uikit/menu/menucolors.h"
#include "uikit/menu/menumetrics.h"
#include "uikit/menu/menudrawingcache.h"
#include "uikit/menu/menuerror.h"
#include "uikit/menu/menustyles.h"
#include "uikit/menu/menuframe.h"
#include "uikit/menu/menupaint.h"
#include "uikit/menu/menusystem.h"
#include "uikit/menu/menutheme.h"
#include "uikit/menu/menuthemexp.h"
#include "uikit/menu/newmemdc.h"
#include "uikit/menu/newmenu.h"

using namespace vt;

namespace {

constexpr COLORREF kBehind = RGB(200, 100, 50);

struct Capture {
    int idles = 0;
    std::vector<WORD> keys;  // sent at the first idle
    bool done = false;
    RECT rect = {};
    std::vector<COLORREF> px;  // the menu window's pixels
    int w = 0, h = 0;
    bool snapshot = false;  // the hook held a picture of the screen behind the menu
    COLORREF At(int x, int y) const { return px[static_cast<size_t>(y) * w + x]; }
} g_cap;

void SendKey(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
}

void CaptureMenuWindow() {
    HWND menu = FindWindowA("#32768", nullptr);
    if (!menu || !IsWindowVisible(menu)) return;
    GetWindowRect(menu, &g_cap.rect);
    const auto* data = CNewMenuHook::GetMenuHookData(menu);
    g_cap.snapshot = data && data->snapshot_;
    g_cap.w = g_cap.rect.right - g_cap.rect.left;
    g_cap.h = g_cap.rect.bottom - g_cap.rect.top;
    vt::test::Canvas c(g_cap.w, g_cap.h);
    HDC dc = GetWindowDC(menu);
    BitBlt(c.Dc(), 0, 0, g_cap.w, g_cap.h, dc, 0, 0, SRCCOPY);
    ReleaseDC(menu, dc);
    g_cap.px.resize(static_cast<size_t>(g_cap.w) * g_cap.h);
    for (int y = 0; y < g_cap.h; ++y)
        for (int x = 0; x < g_cap.w; ++x)
            g_cap.px[static_cast<size_t>(y) * g_cap.w + x] = c.At(x, y);
    g_cap.done = true;
}

LRESULT CALLBACK OwnerProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_MEASUREITEM:
            if (CMenu::HandleMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lp))) return TRUE;
            break;
        case WM_DRAWITEM:
            if (CMenu::HandleDrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lp))) return TRUE;
            break;
        case WM_ENTERIDLE:
            // The menu loop is idle (sent once): the menu is shown and painted.
            if (++g_cap.idles == 1)
                for (WORD k : g_cap.keys) SendKey(k);
            return 0;
        case WM_TIMER:
            if (wp == 2) {  // polling: capture once the menu has gone idle
                if (g_cap.idles > 0 && g_cap.keys.empty() && !g_cap.done) {
                    CaptureMenuWindow();
                    if (g_cap.done) EndMenu();
                }
            } else {
                EndMenu();  // deadline: never leave a menu open
            }
            return 0;
        case WM_ERASEBKGND: {
            RECT r;
            GetClientRect(w, &r);
            HBRUSH b = CreateSolidBrush(kBehind);
            FillRect(reinterpret_cast<HDC>(wp), &r, b);
            DeleteObject(b);
            return 1;
        }
        default:
            break;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

struct ShadowSetting {
    BOOL saved = FALSE;
    explicit ShadowSetting(bool on) {
        SystemParametersInfoA(SPI_GETDROPSHADOW, 0, &saved, 0);
        SystemParametersInfoA(SPI_SETDROPSHADOW, 0,
                              reinterpret_cast<void*>(static_cast<INT_PTR>(on)), 0);
    }
    ~ShadowSetting() {
        SystemParametersInfoA(SPI_SETDROPSHADOW, 0,
                              reinterpret_cast<void*>(static_cast<INT_PTR>(saved)), 0);
    }
};

class MenuWindow : public ::testing::Test {
protected:
    void SetUp() override {
        colours_.Set();
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = OwnerProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VtMenuOwnerTest";
        RegisterClassExA(&wc);
        owner_ = CreateWindowExA(0, "VtMenuOwnerTest", "", WS_POPUP | WS_VISIBLE, 50, 50, 500, 400,
                                 nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(owner_, nullptr);
        UpdateWindow(owner_);
        SetForegroundWindow(owner_);
        // The owner's colour must be on the screen before a menu takes its snapshot.
        HDC screen = GetDC(nullptr);
        vt::test::WaitUntil([&] { return GetPixel(screen, 150, 150) == kBehind; }, 5000);
        ReleaseDC(nullptr, screen);
        previousStyle_ = CNewMenu::SetMenuStyle(2);
    }
    void TearDown() override {
        CNewMenu::SetMenuStyle(previousStyle_);
        DestroyWindow(owner_);
        colours_.Restore();
    }
    // Tracks the menu at (100, 100) and returns the command chosen.
    UINT Track(HMENU menu, std::vector<WORD> keys = {}) {
        g_cap = Capture();
        g_cap.keys = std::move(keys);
        SetCursorPos(100, 100);
        SetTimer(owner_, 1, 5000, nullptr);
        SetTimer(owner_, 2, 30, nullptr);
        UINT cmd =
            TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, 100, 100, 0, owner_, nullptr);
        KillTimer(owner_, 1);
        KillTimer(owner_, 2);
        // The next menu's snapshot must see the owner again, not this menu.
        RedrawWindow(owner_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
        HDC screen = GetDC(nullptr);
        RECT r = g_cap.rect;
        vt::test::WaitUntil(
            [&] {
                return GetPixel(screen, r.right - 2, r.bottom - 2) == kBehind &&
                       GetPixel(screen, r.right - 4, (r.top + r.bottom) / 2) == kBehind &&
                       GetPixel(screen, (r.left + r.right) / 2, r.bottom - 3) == kBehind;
            },
            5000);
        ReleaseDC(nullptr, screen);
        return cmd;
    }
    static HMENU PlainMenu() {
        HMENU m = CreatePopupMenu();
        AppendMenuA(m, MF_STRING, 1, "First item");
        AppendMenuA(m, MF_STRING, 2, "Second item");
        return m;
    }

    vt::test::MenuColourEnvironment colours_;
    HWND owner_ = nullptr;
    int previousStyle_ = 2;
};

TEST_F(MenuWindow, FlatFrameResizesThePlainMenuAndDrawsItsOwnShadow) {
    UniqueMenuHandle menu(PlainMenu());
    const COLORREF border = RGB(106, 104, 100);  // the pinned menu colour at 127/255

    CNewMenu::SetMenuStyle(1);
    Track(menu.Get());
    ASSERT_TRUE(g_cap.done);
    const int w = g_cap.w, h = g_cap.h;
    EXPECT_NE(g_cap.At(0, h / 2), border);  // the classic style keeps the system's border

    CNewMenu::SetMenuStyle(2);
    {
        ShadowSetting off(false);
        Track(menu.Get());
        ASSERT_TRUE(g_cap.done);
        EXPECT_EQ(g_cap.w, w + 2);
        EXPECT_EQ(g_cap.h, h + 2);
        EXPECT_EQ(g_cap.rect.top, 100 - 1);
        const int W = g_cap.w, H = g_cap.h;
        EXPECT_EQ(g_cap.At(0, H / 2), border);
        EXPECT_EQ(g_cap.At(W / 2, 0), border);
        EXPECT_EQ(g_cap.At(W - 5, H / 2), border);  // frame box ends 4 pixels early
        EXPECT_EQ(g_cap.At(W / 2, H - 5), border);
        // The last four columns and rows darken what was behind the menu.
        // kBehind at 225/255, 135/255 and 195/255.
        EXPECT_EQ(g_cap.At(W - 1, H / 2), RGB(176, 88, 44));
        EXPECT_EQ(g_cap.At(W - 4, H / 2), RGB(106, 53, 26));
        EXPECT_EQ(g_cap.At(W / 2, H - 2), RGB(153, 76, 38));
        EXPECT_EQ(g_cap.At(W - 2, 1), kBehind);  // the offset corners are untouched
        EXPECT_EQ(g_cap.At(1, H - 2), kBehind);
        EXPECT_TRUE(g_cap.snapshot);
    }
    {
        ShadowSetting on(true);
        Track(menu.Get());
        ASSERT_TRUE(g_cap.done);
        EXPECT_EQ(g_cap.w, w - 2);
        EXPECT_EQ(g_cap.h, h - 2);
        EXPECT_EQ(g_cap.At(g_cap.w - 1, g_cap.h / 2), border);
        EXPECT_EQ(g_cap.At(g_cap.w / 2, g_cap.h - 1), border);
        // The system draws the shadow: the screen behind is not read for it.
        EXPECT_FALSE(g_cap.snapshot);
    }
}

TEST_F(MenuWindow, OwnerDrawnItemsArePaintedAndPickedWithTheKeyboard) {
    CNewMenu::SetUsePreparedImages(FALSE);
    CNewMenu menu;
    ASSERT_TRUE(menu.Attach(CreatePopupMenu()));
    menu.SetTransparentColor(RGB(255, 0, 128));
    ASSERT_TRUE(menu.AppendItem(0, 30000, "Alpha"));
    ASSERT_TRUE(menu.AppendItem(0, 30005, "Beta"));
    ASSERT_TRUE(menu.AppendItem(MF_SEPARATOR, 0, ""));
    ASSERT_TRUE(menu.AppendItem(0, 57665, "Exit"));
    ASSERT_TRUE(menu.SetItemBitmap(nullptr, 30005, 201));
    EXPECT_EQ(Track(menu.hmenu_, {VK_DOWN, VK_DOWN, VK_RETURN}), 30005u);

    Track(menu.hmenu_);
    ASSERT_TRUE(g_cap.done);
    // The strip runs from the frame into the items: left column inside the border.
    // 86 % of the pinned menu colour plus 14 % of white.
    EXPECT_EQ(g_cap.At(1, g_cap.h / 2), RGB(218, 215, 208));
    int blue = 0;
    for (int y = 0; y < g_cap.h; ++y)
        for (int x = 0; x < 40; ++x) blue += g_cap.At(x, y) == RGB(40, 80, 200);
    EXPECT_GE(blue, 50);  // Beta's picture
    CNewMenu::SetUsePreparedImages(TRUE);
}

// A menu window that the system shows again without making it anew is only
// announced by the "size the menu" message: it is subclassed again on that.
TEST(MenuWindowReuse, SubclassedWhenMadeAndAgainOnTheSizeMessage) {
    CNewMenuHook::Instance();
    UniqueMenuHandle popup(CreatePopupMenu());
    AppendMenuA(popup.Get(), MF_STRING, 1, "Only item");
    HWND w = CreateWindowExA(WS_EX_TOOLWINDOW, "#32768", "", WS_POPUP, 10, 10, 50, 30, nullptr,
                             nullptr, nullptr, popup.Get());
    ASSERT_NE(w, nullptr);
    auto* made = CNewMenuHook::GetMenuHookData(w);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->flags_ & CNewMenuHook::CMenuHookData::kOnSizeMessage, 0);
    EXPECT_NE(GetPropA(w, "OldMenuProc"), nullptr);

    SendMessageA(w, WM_SHOWWINDOW, FALSE, 0);  // hidden: the subclass ends
    EXPECT_EQ(CNewMenuHook::GetMenuHookData(w), nullptr);
    EXPECT_EQ(GetPropA(w, "OldMenuProc"), nullptr);

    SendMessageA(w, 0x1E2, 0, 0);
    auto* again = CNewMenuHook::GetMenuHookData(w);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again->flags_ & CNewMenuHook::CMenuHookData::kOnSizeMessage, 0);
    EXPECT_NE(GetPropA(w, "OldMenuProc"), nullptr);

    DestroyWindow(w);
    EXPECT_EQ(CNewMenuHook::GetMenuHookData(w), nullptr);
}

}  // namespace
