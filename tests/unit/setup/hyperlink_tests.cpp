// The link control on a real static control of a real window: its text, size
// and font, its colours by state, the mouse (real input), the keyboard, the
// cursor, failures, and the fall-back to the ".htm" handler.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "uikit/controls/hyperlink.h"
#include "framework/registry.h"
#include "support/testsupport.h"

using namespace vt;

namespace {

const COLORREF kLink = RGB(0, 0, 255), kActive = RGB(0, 128, 128);
const COLORREF kVisited = RGB(128, 0, 128), kHover = RGB(255, 0, 0);

void Input(DWORD flags) {
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof in);
}

void MoveTo(POINT p) {
    SetCursorPos(p.x, p.y);
    INPUT in = {};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in.mi.dx = MulDiv(p.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(p.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    SendInput(1, &in, sizeof in);
    test::WaitUntil(
        [&] {
            POINT c;
            return GetCursorPos(&c) && c.x == p.x && c.y == p.y;
        },
        2000);
    test::PumpMessages();
}

class HyperLink : public ::testing::Test {
protected:
    void SetUp() override {
        CWindowImpl::RegisterClass("VtLinkHost", CS_DBLCLKS, GetSysColorBrush(COLOR_BTNFACE));
        ASSERT_TRUE(host_.CreateEx(0, "VtLinkHost", "Link host", WS_POPUP | WS_VISIBLE, 100, 100,
                                   400, 200, nullptr, nullptr));
        font_.Reset(
            CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma"));
        link_.launch = [this](const std::string& address, int) {
            launched_.push_back(address);
            return launchResult_;
        };
        link_.reportFailure = [this](const std::string& text) { reported_.push_back(text); };
    }
    // A static control at (20, 20) 300 x 40 with the font, taken over by the link.
    HWND Attach(DWORD style, const char* text) {
        HWND s = CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE | style, 20, 20, 300, 40,
                                 host_.hwnd_, reinterpret_cast<HMENU>(1021), nullptr, nullptr);
        SendMessageA(s, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
        EXPECT_TRUE(link_.SubclassWindow(s));
        return s;
    }
    RECT InParent(HWND w) const {
        RECT r;
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, host_.hwnd_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    SIZE TextSize(const std::string& text) const {
        HDC dc = GetDC(link_.hwnd_);
        HGDIOBJ old = SelectObject(dc, link_.LinkFont());
        SIZE s = {};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &s);
        SelectObject(dc, old);
        ReleaseDC(link_.hwnd_, dc);
        return s;
    }
    // What the host's reflected colour request gives the text.
    COLORREF PaintedColour(HBRUSH* brush = nullptr, int* mode = nullptr) const {
        HDC dc = CreateCompatibleDC(nullptr);
        LRESULT r = SendMessageA(host_.hwnd_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(link_.hwnd_));
        COLORREF c = GetTextColor(dc);
        if (brush) *brush = reinterpret_cast<HBRUSH>(r);
        if (mode) *mode = GetBkMode(dc);
        DeleteDC(dc);
        return c;
    }
    POINT Centre() const {
        RECT r;
        GetWindowRect(link_.hwnd_, &r);
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    CWindowImpl host_;
    UniqueFont font_;
    CqvHyperLink link_;
    std::vector<std::string> launched_, reported_;
    INT_PTR launchResult_ = 42;
};

TEST_F(HyperLink, TextTargetFontAndSizeFollowTheOptions) {
    link_.SetTarget("https://example.test/");  // no window yet: only stored
    HWND s = Attach(SS_CENTER, "");
    EXPECT_EQ(test::TextOf(s), "https://example.test/");
    EXPECT_EQ(link_.GetTarget(), "https://example.test/");
    LOGFONTA lf = {};
    GetObjectA(link_.LinkFont(), sizeof lf, &lf);
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(s, WM_GETFONT, 0, 0)), link_.LinkFont());
    // Centred: shrunk equally at both sides to the text, top kept.
    SIZE text = TextSize("https://example.test/");
    RECT r = InParent(s);
    EXPECT_EQ(r.right - r.left, text.cx);
    EXPECT_EQ(r.bottom - r.top, text.cy);
    EXPECT_EQ(r.top, 20);
    EXPECT_LE(abs((r.left + r.right) - (20 + 320)), 1);
    // A new caption refits around the same centre.
    link_.SetCaption("example.test");
    r = InParent(s);
    EXPECT_EQ(r.right - r.left, TextSize("example.test").cx);
    EXPECT_LE(abs((r.left + r.right) - (20 + 320)), 2);
    EXPECT_EQ(link_.GetTarget(), "https://example.test/");
}

TEST_F(HyperLink, LeftAndRightAlignedTextKeepTheirEdgeAndTheTextBecomesTheTarget) {
    HWND s = Attach(SS_RIGHT | SS_CENTERIMAGE, "right.example");
    EXPECT_EQ(link_.GetTarget(), "right.example");
    RECT r = InParent(s);
    EXPECT_EQ(r.right, 320);
    EXPECT_EQ(r.right - r.left, TextSize("right.example").cx);
    // Centred vertically in the old 40 pixels.
    EXPECT_LE(abs((r.top + r.bottom) - (20 + 60)), 1);

    CqvHyperLink plain;
    plain.LinkOptions &= ~CqvHyperLink::kUnderline;
    HWND p = CreateWindowExA(0, "STATIC", "left", WS_CHILD | WS_VISIBLE, 20, 80, 300, 40,
                             host_.hwnd_, nullptr, nullptr, nullptr);
    SendMessageA(p, WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
    ASSERT_TRUE(plain.SubclassWindow(p));
    r = InParent(p);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 80);
    LOGFONTA lf = {};
    GetObjectA(plain.LinkFont(), sizeof lf, &lf);
    EXPECT_FALSE(lf.lfUnderline);
}

TEST_F(HyperLink, ColourFollowsTheStateOnATransparentBackground) {
    Attach(SS_CENTER, "colours");
    HBRUSH brush = nullptr;
    int mode = 0;
    EXPECT_EQ(PaintedColour(&brush, &mode), kLink);
    EXPECT_EQ(brush, static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH)));
    EXPECT_EQ(mode, TRANSPARENT);
    link_.SetFocus();
    EXPECT_EQ(PaintedColour(), kActive);
    link_.LinkOptions |= CqvHyperLink::kNoActiveColour;
    EXPECT_EQ(PaintedColour(), kLink);
    link_.LinkOptions &= ~CqvHyperLink::kNoActiveColour;
    link_.OpenTarget();
    EXPECT_TRUE(link_.IsVisited());
    EXPECT_EQ(PaintedColour(), kActive);  // still focused
    host_.SetFocus();
    EXPECT_EQ(PaintedColour(), kVisited);
    // Hovering changes nothing unless the hover colour is asked for.
    link_.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_TRUE(link_.IsHovering());
    EXPECT_EQ(PaintedColour(), kVisited);
    link_.LinkOptions |= CqvHyperLink::kUseHoverColour;
    EXPECT_EQ(PaintedColour(), kHover);
    link_.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(-5, -5));
    EXPECT_FALSE(link_.IsHovering());
    EXPECT_EQ(PaintedColour(), kVisited);
    // A palette set as a whole.
    link_.SetPalette({RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9), RGB(10, 11, 12)});
    EXPECT_EQ(PaintedColour(), RGB(7, 8, 9));
}

TEST_F(HyperLink, AClickFocusesAndOpensOnReleaseAndLeavingReleasesTheMouse) {
    Attach(SS_CENTER, "click.example");
    ASSERT_TRUE(test::WaitUntil([&] {
        SetForegroundWindow(host_.hwnd_);
        return GetForegroundWindow() == host_.hwnd_;
    }));
    MoveTo(Centre());
    ASSERT_TRUE(test::WaitUntil([&] { return link_.IsHovering(); }));
    EXPECT_EQ(GetCapture(), link_.hwnd_);
    Input(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(test::WaitUntil([&] { return GetFocus() == link_.hwnd_; }));
    EXPECT_TRUE(launched_.empty()) << "opened on the press";
    Input(MOUSEEVENTF_LEFTUP);
    ASSERT_TRUE(test::WaitUntil([&] { return launched_.size() == 1; }));
    EXPECT_EQ(launched_[0], "click.example");

    // Pressed inside, released outside: the capture went when the pointer
    // left, and nothing opens.
    Input(MOUSEEVENTF_LEFTDOWN);
    test::WaitUntil([] { return false; }, 200);
    MoveTo({Centre().x, Centre().y + 60});
    ASSERT_TRUE(test::WaitUntil([&] { return !link_.IsHovering(); }));
    EXPECT_NE(GetCapture(), link_.hwnd_);
    Input(MOUSEEVENTF_LEFTUP);
    test::WaitUntil([] { return false; }, 300);
    EXPECT_EQ(launched_.size(), 1u);

    // Open on press when asked to.
    link_.LinkOptions |= CqvHyperLink::kOpenOnPress;
    MoveTo(Centre());
    Input(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(test::WaitUntil([&] { return launched_.size() == 2; }));
    Input(MOUSEEVENTF_LEFTUP);
    test::WaitUntil([] { return false; }, 300);
    EXPECT_EQ(launched_.size(), 2u);
}

TEST_F(HyperLink, SpaceOpensAndOtherKeysDoNot) {
    Attach(SS_CENTER, "keys.example");
    link_.SetFocus();
    link_.SendMessage(WM_KEYDOWN, VK_RETURN, 0);
    link_.SendMessage(WM_KEYDOWN, 'A', 0);
    EXPECT_TRUE(launched_.empty());
    link_.SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    ASSERT_EQ(launched_.size(), 1u);
    EXPECT_EQ(launched_[0], "keys.example");
    EXPECT_EQ(link_.SendMessage(WM_NCHITTEST, 0, 0), HTCLIENT);
}

TEST_F(HyperLink, AFailedOpenIsReportedWithItsTextAndLeavesTheLinkUnvisited) {
    Attach(SS_CENTER, "fail.example");
    launchResult_ = SE_ERR_NOASSOC;
    link_.OpenTarget();
    ASSERT_EQ(reported_.size(), 1u);
    EXPECT_EQ(reported_[0],
              "Can't open link:\n\nThere is no application associated\nwith the given filename "
              "extension.");
    EXPECT_FALSE(link_.IsVisited());
    EXPECT_EQ(PaintedColour(), kLink);
    EXPECT_EQ(CqvHyperLink::OpenFailureMessage(0),
              "Can't open link:\n\nThe operating system is out\nof memory or resources.");
    EXPECT_EQ(CqvHyperLink::OpenFailureMessage(26),
              "Can't open link:\n\nA sharing violation occurred. ");
    EXPECT_EQ(CqvHyperLink::OpenFailureMessage(32),
              "Can't open link:\n\nThe specified dynamic-link library was not found.");
    EXPECT_EQ(CqvHyperLink::OpenFailureMessage(12),
              "Can't open link:\n\nUnknown Error (12) occurred.");
    // An empty target opens nothing and reports nothing.
    link_.SetTarget("");
    link_.OpenTarget();
    EXPECT_EQ(launched_.size(), 1u);
    EXPECT_EQ(reported_.size(), 1u);
}

TEST_F(HyperLink, TheHandCursorIsSharedAndCanBeTurnedOff) {
    Attach(SS_CENTER, "cursor.example");
    HCURSOR hand = CqvHyperLink::LoadLinkCursor();
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(CqvHyperLink::LoadLinkCursor(), hand);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_TRUE(link_.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(link_.hwnd_),
                                  MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(GetCursor(), hand);
    link_.LinkOptions |= CqvHyperLink::kNoHandCursor;
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    link_.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(link_.hwnd_),
                      MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_NE(GetCursor(), hand);
}

// ---- the ".htm" handler -------------------------------------------------

std::string ReadRecorderLog(const std::string& path) {
    std::string text;
    test::WaitUntil(
        [&] {
            std::ifstream f(path, std::ios::binary);
            std::stringstream ss;
            ss << f.rdbuf();
            text = ss.str();
            return !text.empty();
        },
        10000);
    return text;
}

TEST(HyperLinkLaunch, TheHtmHandlerGetsTheAddressWhenTheShellCannotOpenIt) {
    EXPECT_EQ(CqvHyperLink::HandlerCommandLine("\"b.exe\" \"%1\" -x", "u://a"), "\"b.exe\"  u://a");
    EXPECT_EQ(CqvHyperLink::HandlerCommandLine("b.exe %1", "u://a"), "b.exe  u://a");
    EXPECT_EQ(CqvHyperLink::HandlerCommandLine("b.exe -new", "u://a"), "b.exe -new u://a");

    test::ScopedRegTree htm(HKEY_CURRENT_USER, "Software\\Classes\\.htm");
    test::ScopedRegTree type(HKEY_CURRENT_USER, "Software\\Classes\\VtTestPage");
    const std::string recorder = test::BinPath("cmdrecorder.exe");
    const std::string log = test::BinPath("cmdrecorder.log");
    CRegKey k;
    ASSERT_TRUE(k.Create(HKEY_CURRENT_USER, "Software\\Classes\\.htm"));
    ASSERT_TRUE(k.SetString(nullptr, "VtTestPage"));
    ASSERT_TRUE(k.Create(HKEY_CURRENT_USER, "Software\\Classes\\VtTestPage\\shell\\open\\command"));

    test::ScopedUserClassesRoot merged;
    ASSERT_TRUE(merged.Active());
    // Quoted "%1": the command line is cut before it.
    ASSERT_TRUE(k.SetString(nullptr, "\"" + recorder + "\" --page \"%1\""));
    DeleteFileA(log.c_str());
    EXPECT_GT(CqvHyperLink::LaunchTarget("vtnosuchscheme://page/one", SW_HIDE), 32);
    EXPECT_EQ(ReadRecorderLog(log), "\"" + recorder + "\" --page  vtnosuchscheme://page/one\r\n");
    // No "%1": the address goes at the end after a space.
    ASSERT_TRUE(k.SetString(nullptr, "\"" + recorder + "\" -new"));
    DeleteFileA(log.c_str());
    EXPECT_GT(CqvHyperLink::LaunchTarget("vtnosuchscheme://page/two", SW_HIDE), 32);
    EXPECT_EQ(ReadRecorderLog(log), "\"" + recorder + "\" -new vtnosuchscheme://page/two\r\n");
    DeleteFileA(log.c_str());
    // Without a handler the shell's failure comes back.
    test::DeleteRegTree(HKEY_CURRENT_USER, "Software\\Classes\\.htm");
    EXPECT_LE(CqvHyperLink::LaunchTarget("vtnosuchscheme://page/three", SW_HIDE), 32);
}

}  // namespace
