#include "uikit/menuhook.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <new>

#include "framework/gdi.h"
#include "framework/trace.h"
#include "uikit/menumetrics.h"
#include "uikit/menutheme.h"
#include "uikit/newmenu.h"

namespace vt {

namespace {

const char kOldMenuProc[] = "OldMenuProc";
constexpr UINT kMenuSizeMessage = 0x1E2;  // the system's undocumented "size the menu"
constexpr UINT kMenuGetHmenu = 0x1E1;     // MN_GETHMENU

CNewMenuHook* s_instance = nullptr;
menu::ErrorReporter s_reporter = nullptr;

WNDPROC OldProcOf(HWND w) { return reinterpret_cast<WNDPROC>(GetPropA(w, kOldMenuProc)); }

// 32-bit top-down pixels of a bitmap; empty on failure.
std::vector<DWORD> BitsOf(HBITMAP bmp, int w, int h) {
    std::vector<DWORD> px(static_cast<size_t>(w) * h);
    BITMAPINFO bi = TopDown32BitInfo(w, h);
    HDC screen = GetDC(nullptr);
    int got = GetDIBits(screen, bmp, 0, h, px.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (got != h) px.clear();
    return px;
}

COLORREF FromBgr(DWORD p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

void FillColor(HDC dc, const RECT& r, COLORREF c) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    UniqueBrush b(CreateSolidBrush(c));
    FillRect(dc, &r, b.Get());
}

void FrameColor(HDC dc, const RECT& r, COLORREF c) {
    UniqueBrush b(CreateSolidBrush(c));
    FrameRect(dc, &r, b.Get());
}

// Client rectangle of a window in window coordinates.
RECT ClientInWindow(HWND w) {
    RECT wr = {}, cr = {};
    GetWindowRect(w, &wr);
    GetClientRect(w, &cr);
    MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&cr), 2);
    OffsetRect(&cr, -wr.left, -wr.top);
    return cr;
}

COLORREF NearestOn(COLORREF c, void* dc) { return GetNearestColor(static_cast<HDC>(dc), c); }

menu::FlatColors FrameColors(HDC dc) {
    CNewMenuHook& hook = CNewMenuHook::Instance();
    menu::SysColors sys{GetSysColor(COLOR_WINDOW), menu::FlatMenuColor(),
                        GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_BTNFACE),
                        GetSysColor(COLOR_BTNTEXT)};
    return menu::ComputeFlatColors(sys, hook.ScreenColorCount(), hook.HighContrast(), NearestOn,
                                   dc);
}

// Some systems draw the popup's own raised border and a margin inside the
// client area, around the items. With a style that paints its own frame that
// band is painted flat: the icon strip runs on into it, the rest takes the
// item background. dc draws in client coordinates.
void PaintClientBand(HWND w, HDC dc) {
    HMENU hmenu = reinterpret_cast<HMENU>(SendMessageA(w, kMenuGetHmenu, 0, 0));
    int count = hmenu ? GetMenuItemCount(hmenu) : 0;
    if (count <= 0) return;
    RECT items = {};
    for (int i = 0; i < count; ++i) {
        RECT r = {};
        if (!GetMenuItemRect(nullptr, hmenu, static_cast<UINT>(i), &r)) return;
        UnionRect(&items, &items, &r);
    }
    MapWindowPoints(nullptr, w, reinterpret_cast<POINT*>(&items), 2);
    RECT client = {};
    GetClientRect(w, &client);
    if (EqualRect(&items, &client)) return;
    menu::FlatColors c = FrameColors(dc);
    int stripRight = items.left;
    if (auto* nm = dynamic_cast<CNewMenu*>(CMenu::FromHandlePermanent(hmenu)))
        stripRight = menu::FlatStripRect(items, nm->GetIconWidth()).right;
    FillColor(dc, RECT{client.left, client.top, items.left, client.bottom}, c.strip);
    FillColor(dc, RECT{items.left, client.top, stripRight, items.top}, c.strip);
    FillColor(dc, RECT{items.left, items.bottom, stripRight, client.bottom}, c.strip);
    FillColor(dc, RECT{stripRight, client.top, client.right, items.top}, c.background);
    FillColor(dc, RECT{stripRight, items.bottom, client.right, client.bottom}, c.background);
    FillColor(dc, RECT{items.right, items.top, client.right, items.bottom}, c.background);
}

}  // namespace

// ---- error reporting -------------------------------------------------------

namespace menu {

std::string SystemErrorText(DWORD code) {
    char* text = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                             reinterpret_cast<char*>(&text), 0, nullptr);
    if (n == 0 || !text) {
        char buf[64];
        snprintf(buf, sizeof buf, "Error message 0x%lx not found",
                 static_cast<unsigned long>(code));
        return buf;
    }
    std::string s(text, n);
    LocalFree(text);
    return s;
}

void ShowLastError() {
    DWORD code = GetLastError();
    if (code == 0) return;
    std::string text = SystemErrorText(code);
    if (s_reporter)
        s_reporter(text);
    else
        Trace("menu: " + text);
}

HookInstallError::HookInstallError(DWORD code)
    : std::runtime_error("the popup-menu hook could not be installed: " + SystemErrorText(code)),
      code_(code) {}

ErrorReporter SetErrorReporter(ErrorReporter reporter) {
    return std::exchange(s_reporter, reporter);
}

void PaintFlatFrame(HDC dc, const FlatFramePaint& p) {
    const RECT box = FlatFrameBox(p.w, p.h, p.systemShadow);
    const RECT inner = {1, 1, box.right - 1, box.bottom - 1};
    if (p.firstPass) {
        const RECT& c = p.client;
        FillColor(dc, RECT{inner.left, inner.top, inner.right, c.top}, p.itemBack);
        FillColor(dc, RECT{inner.left, c.bottom, inner.right, inner.bottom}, p.itemBack);
        FillColor(dc, RECT{inner.left, c.top, c.left, c.bottom}, p.itemBack);
        FillColor(dc, RECT{c.right - 1, c.top, inner.right, c.bottom}, p.itemBack);
    }
    if (p.highContrast) {
        FrameColor(dc, box, GetSysColor(COLOR_BTNTEXT));
        return;
    }
    FrameColor(dc, inner, p.itemBack);
    FillColor(dc, RECT{1, 2, 2, 2 + (box.bottom - box.top) - 4}, p.strip);
    FrameColor(dc, box, p.border);
    if (p.systemShadow || !p.snapshot) return;

    // Own drop shadow from what was on the screen behind the window.
    const int w = p.w, h = p.h;
    HBITMAP snap = p.snapshot;
    BITMAP bm = {};
    if (!GetObjectA(snap, sizeof bm, &bm) || bm.bmWidth < w || bm.bmHeight < h) return;
    std::vector<DWORD> px = BitsOf(snap, bm.bmWidth, bm.bmHeight);
    if (px.empty()) return;
    auto snapAt = [&](int x, int y) { return FromBgr(px[static_cast<size_t>(y) * bm.bmWidth + x]); };
    const bool palette = IsPaletteScreen(p.colorCount);
    const COLORREF btnShadow = GetSysColor(COLOR_BTNSHADOW);
    for (int d = 1; d <= 4 && d <= w; ++d) {
        int x = w - d;
        for (int y = 0; y < h; ++y) {
            COLORREF c;
            if (palette) {
                bool dark = d >= 3 && y >= 4 && y <= h - 3;
                c = dark ? btnShadow : snapAt(x, y);
            } else {
                int f = RightShadowFactor(d, y, h);
                c = f < 0 ? snapAt(x, y) : ScaleColor(snapAt(x, y), f);
            }
            SetPixelV(dc, x, y, c);
        }
    }
    for (int r = 1; r <= 4 && r <= h; ++r) {
        int y = h - r;
        for (int x = 0; x <= w - 5; ++x) {
            COLORREF c;
            if (palette) {
                bool dark = r >= 3 && x >= 4;
                c = dark ? btnShadow : snapAt(x, y);
            } else {
                int f = BottomShadowFactor(r, x, w);
                c = f < 0 ? snapAt(x, y) : ScaleColor(snapAt(x, y), f);
            }
            SetPixelV(dc, x, y, c);
        }
    }
}

}  // namespace menu

// ---- CMenuThemeXP: the flat frame ------------------------------------------

BOOL CMenuThemeXP::PaintFrame(HWND window, HDC dc, BOOL afterSystem) {
    auto* data = CNewMenuHook::GetMenuHookData(window);
    if (!data || !DrawsOwnFrame()) return FALSE;
    RECT wr = {};
    GetWindowRect(window, &wr);
    menu::FlatColors c = FrameColors(dc);
    menu::FlatFramePaint p = {};
    p.w = wr.right - wr.left;
    p.h = wr.bottom - wr.top;
    p.client = ClientInWindow(window);
    p.systemShadow = menu::SystemDropShadow();
    p.highContrast = CNewMenuHook::Instance().HighContrast();
    p.firstPass = !afterSystem;
    p.menuColor = menu::FlatMenuColor();
    p.itemBack = c.background;
    p.strip = c.strip;
    p.border = menu::Darken(128, p.menuColor);
    p.colorCount = CNewMenuHook::Instance().ScreenColorCount();
    p.snapshot = data->m_Screen.Get();
    menu::PaintFlatFrame(dc, p);
    return TRUE;
}

// ---- CNewMenuHook ----------------------------------------------------------

CNewMenuHook& CNewMenuHook::Instance() {
    static CNewMenuHook instance;
    return instance;
}

CNewMenuHook::CNewMenuHook() {
    s_instance = this;
    OSVERSIONINFOA osv = {};
    osv.dwOSVersionInfoSize = sizeof osv;
    if (GetVersionExA(&osv)) {
        m_dwVersion = menu::VersionCode(osv.dwPlatformId, osv.dwMajorVersion, osv.dwMinorVersion);
    } else {
        DWORD v = GetVersion();
        DWORD platform = (v & 0x80000000u) ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT;
        m_dwVersion = menu::VersionCode(platform, LOBYTE(LOWORD(v)), HIBYTE(LOWORD(v)));
    }
    HIGHCONTRASTA hc = {};
    hc.cbSize = sizeof hc;
    if (SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0))
        m_bHighContrast = (hc.dwFlags & HCF_HIGHCONTRASTON) != 0;

    m_hThemeLibrary.Reset(LoadLibraryA("uxtheme.dll"));
    if (m_hThemeLibrary)
        m_pIsThemeActive = reinterpret_cast<IsThemeActiveFn>(
            reinterpret_cast<void*>(GetProcAddress(m_hThemeLibrary.Get(), "IsThemeActive")));
    if (m_dwVersion != 3) {
        m_hMsimg32.Reset(LoadLibraryA("Msimg32.dll"));
        if (m_hMsimg32)
            m_pGradientFill = reinterpret_cast<GradientFillFn>(
                reinterpret_cast<void*>(GetProcAddress(m_hMsimg32.Get(), "GradientFill")));
    }

    RegisterMenuTheme(new CMenuTheme(1, menu::ClassicMeasureItem, menu::ClassicDrawItem,
                                     menu::NoTitle, 0));
    RegisterMenuTheme(new CMenuThemeXP(2, menu::FlatMeasureItem, menu::FlatDrawItem,
                                       menu::NoTitle, CMenuTheme::kDrawsOwnFrame));
    SetMenuStyle(2);

    if (!m_hHook) {
        m_hHook = SetWindowsHookExA(WH_CALLWNDPROC, NewMenuHook, nullptr, GetCurrentThreadId());
        if (!m_hHook) {
            const DWORD code = GetLastError();
            menu::ShowLastError();
            s_instance = nullptr;
            throw menu::HookInstallError(code);
        }
    }
}

CNewMenuHook::~CNewMenuHook() {
    if (m_hHook && !UnhookWindowsHookEx(m_hHook)) menu::ShowLastError();
    m_hHook = nullptr;
    m_pActMenuDrawing = nullptr;
    m_pRegisteredThemesList.clear();
    m_pIsThemeActive = nullptr;
    m_pGradientFill = nullptr;
    m_hThemeLibrary.Reset();
    m_hMsimg32.Reset();
    for (CNewMenuIcons* icons : m_SharedMenuIcons) delete icons;
    m_SharedMenuIcons.clear();
    m_MenuHookData.clear();
    s_instance = nullptr;
}

BOOL CNewMenuHook::RegisterMenuTheme(CMenuTheme* theme) {
    if (!theme) return FALSE;
    for (const auto& t : m_pRegisteredThemesList)
        if (t.get() == theme) return FALSE;
    m_pRegisteredThemesList.emplace_back(theme);
    return TRUE;
}

CMenuTheme* CNewMenuHook::FindTheme(int key) const {
    for (const auto& t : m_pRegisteredThemesList)
        if (t->m_dwThemeId == key) return t.get();
    return nullptr;
}

int CNewMenuHook::SetMenuStyle(int key) {
    CMenuTheme* theme = FindTheme(key);
    if (!theme) return -1;
    menu::DropDrawingCache();  // the system's menu font may have changed
    int previous = m_pActMenuDrawing ? m_pActMenuDrawing->m_dwThemeId : -1;
    m_pActMenuDrawing = theme;
    return previous;
}

int CNewMenuHook::ScreenColorCount() {
    if (m_nColors == 0) {
        HDC screen = GetDC(nullptr);
        m_nColors = menu::NormaliseColorCount(GetDeviceCaps(screen, NUMCOLORS));
        ReleaseDC(nullptr, screen);
    }
    return m_nColors;
}

bool CNewMenuHook::IsThemeActive() const { return m_pIsThemeActive && m_pIsThemeActive(); }

CNewMenuHook::CMenuHookData* CNewMenuHook::GetMenuHookData(HWND window) {
    if (!s_instance) return nullptr;
    auto it = s_instance->m_MenuHookData.find(window);
    return it == s_instance->m_MenuHookData.end() ? nullptr : it->second.get();
}

LRESULT CALLBACK CNewMenuHook::NewMenuHook(int code, WPARAM w, LPARAM l) {
    auto* cwp = reinterpret_cast<CWPSTRUCT*>(l);
    if (code == HC_ACTION && cwp && (cwp->message == WM_CREATE || cwp->message == kMenuSizeMessage)) {
        char cls[8] = {};
        if (GetClassNameA(cwp->hwnd, cls, sizeof cls) == 6 && strcmp(cls, "#32768") == 0)
            CheckSubclassing(cwp->hwnd, cwp->message == kMenuSizeMessage);
    }
    return CallNextHookEx(s_instance ? s_instance->m_hHook : nullptr, code, w, l);
}

BOOL CNewMenuHook::CheckSubclassing(HWND w, BOOL onSizeMessage) {
    if (!s_instance) return FALSE;
    CNewMenuHook& self = *s_instance;
    if (GetMenuHookData(w)) return FALSE;
    auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC));
    if (!proc || GetPropA(w, kOldMenuProc)) return FALSE;
    if (!SetPropA(w, kOldMenuProc, reinterpret_cast<HANDLE>(proc))) menu::ShowLastError();
    if (OldProcOf(w) != proc) return FALSE;
    GlobalAddAtomA(kOldMenuProc);
    auto data = std::make_unique<CMenuHookData>();
    data->m_dwFlags = onSizeMessage ? CMenuHookData::kOnSizeMessage : 0;
    data->m_dwData = GetWindowLongPtrA(w, GWL_STYLE);
    data->m_dwDataEx = GetWindowLongPtrA(w, GWL_EXSTYLE);
    self.m_MenuHookData[w] = std::move(data);
    SetLastError(0);
    if (!SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubClassMenu)) &&
        GetLastError())
        menu::ShowLastError();
    if (self.m_pActMenuDrawing) self.m_pActMenuDrawing->OnInitWindow(w);
    return TRUE;
}

void CNewMenuHook::UnsubClassMenu(HWND w) {
    WNDPROC old = OldProcOf(w);
    if (!old) return;
    SetLastError(0);
    if (!SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old)) && GetLastError())
        menu::ShowLastError();
    RemovePropA(w, kOldMenuProc);
    if (ATOM atom = GlobalFindAtomA(kOldMenuProc)) GlobalDeleteAtom(atom);
    if (!s_instance) return;
    // The style puts the window's style bits back while its data still exists.
    if (s_instance->m_pActMenuDrawing) s_instance->m_pActMenuDrawing->OnUninitWindow(w);
    s_instance->m_MenuHookData.erase(w);
}

void CNewMenuHook::TakeSnapshot(HWND w, CMenuHookData* data, const RECT* where) {
    RECT wr = {};
    GetWindowRect(w, &wr);
    int x = data->m_Point_x, y = data->m_Point_y;
    if (where) {
        wr = *where;
        x = wr.left;
        y = wr.top;
    } else if (x == 0 && y == 0) {  // no move seen yet: where the window is now
        x = wr.left;
        y = wr.top;
    }
    int cx = wr.right - wr.left + 10, cy = wr.bottom - wr.top + 10;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, cx, cy);
    if (mem && bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, cx, cy, screen, x, y, SRCCOPY);
        SelectObject(mem, old);
        data->m_Screen.Reset(bmp);
    } else if (bmp) {
        DeleteObject(bmp);
    }
    if (mem) DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

LRESULT CNewMenuHook::OnNcPaint(HWND w, CMenuHookData* data, WNDPROC old, WPARAM wp, LPARAM lp) {
    if (data->m_dwFlags & CMenuHookData::kInPrint) return 0;
    CMenuTheme* theme = s_instance->m_pActMenuDrawing;
    if (!theme || !theme->DrawsOwnFrame()) return CallWindowProcA(old, w, WM_NCPAINT, wp, lp);
    if (data->m_bDrawBorder) {
        HDC dc = GetWindowDC(w);
        RECT content = {};
        if (theme->PaintFrame(w, dc, FALSE) && theme->GetContentRect(w, &content)) {
            InflateRect(&content, -1, -1);
            UniqueRgn rgn(CreateRectRgnIndirect(&content));
            CallWindowProcA(old, w, WM_NCPAINT, reinterpret_cast<WPARAM>(rgn.Get()), 0);
            theme->PaintFrame(w, dc, TRUE);
        }
        ReleaseDC(w, dc);
        return 0;
    }
    if (!data->m_Screen) TakeSnapshot(w, data, nullptr);
    return CallWindowProcA(old, w, WM_NCPAINT, wp, lp);
}

LRESULT CNewMenuHook::OnPrint(HWND w, CMenuHookData* data, WNDPROC old, WPARAM wp, LPARAM lp) {
    CMenuTheme* theme = s_instance->m_pActMenuDrawing;
    HDC target = reinterpret_cast<HDC>(wp);
    data->m_dwFlags |= CMenuHookData::kInPrint;
    RECT wr = {};
    GetWindowRect(w, &wr);
    const int cw = wr.right - wr.left, ch = wr.bottom - wr.top;
    UniqueMemDC mem(CreateCompatibleDC(target));
    UniqueBitmap bmp(CreateCompatibleBitmap(target, cw, ch));
    LRESULT result = 0;
    if (mem && bmp) {
        ScopedSelect sel(mem.Get(), bmp.Get());
        theme->PaintFrame(w, mem.Get(), FALSE);
        RECT content = {};
        if (theme->GetContentRect(w, &content)) {
            OffsetRect(&content, -wr.left, -wr.top);
            InflateRect(&content, -1, -1);
            IntersectClipRect(mem.Get(), content.left, content.top, content.right, content.bottom);
            result = CallWindowProcA(old, w, WM_PRINT, reinterpret_cast<WPARAM>(mem.Get()),
                                     lp & ~static_cast<LPARAM>(PRF_ERASEBKGND));
        }
        BitBlt(target, 0, 0, cw, ch, mem.Get(), 0, 0, SRCCOPY);
        // The client area, drawn by the window itself at the memory origin.
        RECT client = {};
        GetClientRect(w, &client);
        UniqueRgn clip(CreateRectRgnIndirect(&client));
        SelectClipRgn(mem.Get(), clip.Get());
        SendMessageA(w, WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem.Get()), 0);
        SendMessageA(w, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem.Get()), lp);
        PaintClientBand(w, mem.Get());
        RECT cin = ClientInWindow(w);
        BitBlt(target, cin.left, cin.top, std::min<LONG>(client.right, content.right - content.left - 1),
               client.bottom, mem.Get(), 0, 0, SRCCOPY);
    }
    data->m_dwFlags &= ~CMenuHookData::kInPrint;
    return result;
}

LRESULT CALLBACK CNewMenuHook::SubClassMenu(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    WNDPROC old = OldProcOf(w);
    if (!old) return DefWindowProcA(w, msg, wp, lp);
    CMenuHookData* data = GetMenuHookData(w);
    if (!data || !s_instance) return CallWindowProcA(old, w, msg, wp, lp);
    CMenuTheme* theme = s_instance->m_pActMenuDrawing;
    const bool own = data->m_bDoSubclass && theme;
    const bool ownFrame = own && theme->DrawsOwnFrame();
    switch (msg) {
    case WM_ERASEBKGND:
        if (own) {
            if (ownFrame && !(data->m_dwFlags & CMenuHookData::kInPrint) && !data->m_bDrawBorder) {
                data->m_bDrawBorder = TRUE;
                SendMessageA(w, WM_NCPAINT, 1, 0);
            }
            if (theme->EraseWindow(w, reinterpret_cast<HDC>(wp))) return 1;
        }
        break;
    case WM_PAINT: {
        LRESULT r = CallWindowProcA(old, w, msg, wp, lp);
        if (ownFrame && IsWindow(w)) {
            HDC dc = GetDC(w);
            PaintClientBand(w, dc);
            ReleaseDC(w, dc);
        }
        return r;
    }
    case WM_SHOWWINDOW:
        if (wp) break;
        UnsubClassMenu(w);
        return CallWindowProcA(old, w, msg, wp, lp);
    case WM_NCDESTROY:
        UnsubClassMenu(w);
        return CallWindowProcA(old, w, msg, wp, lp);
    case WM_WINDOWPOSCHANGING:
    case WM_WINDOWPOSCHANGED: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
        if (msg == WM_WINDOWPOSCHANGING && theme && pos) {
            // Only the parts that really change are adjusted, so that
            // repeated positioning does not add up.
            WINDOWPOS adjusted = *pos;
            if (theme->AdjustWindowPos(w, &adjusted)) {
                if (!(pos->flags & SWP_NOSIZE)) {
                    pos->cx = adjusted.cx;
                    pos->cy = adjusted.cy;
                }
                if (!(pos->flags & SWP_NOMOVE)) pos->y = adjusted.y;
            }
            if (ownFrame && (pos->flags & SWP_SHOWWINDOW) && !data->m_Screen) {
                // Before the window covers the screen, at the place and size
                // it is about to take.
                RECT now = {};
                GetWindowRect(w, &now);
                RECT to = now;
                if (!(pos->flags & SWP_NOMOVE)) OffsetRect(&to, pos->x - now.left, pos->y - now.top);
                if (!(pos->flags & SWP_NOSIZE)) {
                    to.right = to.left + pos->cx;
                    to.bottom = to.top + pos->cy;
                }
                TakeSnapshot(w, data, &to);
            }
        }
        if (pos && !(pos->flags & SWP_NOMOVE)) {
            if (data->m_Point_x == 0 && data->m_Point_y == 0) {
                data->m_Point_x = pos->x;
                data->m_Point_y = pos->y;
            } else if (data->m_Point_x != pos->x || data->m_Point_y != pos->y) {
                if (pos->flags & SWP_NOSIZE) {
                    data->m_Point_x = pos->x;
                    data->m_Point_y = pos->y;
                    data->m_Screen.Reset();  // taken again at the new place
                } else {
                    UnsubClassMenu(w);
                }
            }
        }
        break;
    }
    case WM_NCCALCSIZE:
        if (ownFrame) {
            RECT* proposed = wp ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lp)->rgrc[0]
                                : reinterpret_cast<RECT*>(lp);
            theme->AdjustClientArea(w, proposed);
        }
        break;
    case WM_NCPAINT:
        if (own) return OnNcPaint(w, data, old, wp, lp);
        break;
    case WM_PRINT:
        if (ownFrame) return OnPrint(w, data, old, wp, lp);
        break;
    default:
        break;
    }
    return CallWindowProcA(old, w, msg, wp, lp);
}

}  // namespace vt
