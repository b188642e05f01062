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

// The menu windows that the watcher procedure sits on, with the procedure it
// replaced. Never freed: a window may outlive the toolkit at exit.
std::map<HWND, WNDPROC>& WatchedMenuWindows() {
    static auto* windows = new std::map<HWND, WNDPROC>;
    return *windows;
}

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
DWORD ToBgr(COLORREF c) {
    return (static_cast<DWORD>(GetRValue(c)) << 16) | (static_cast<DWORD>(GetGValue(c)) << 8) |
           GetBValue(c);
}

void FillColor(HDC dc, const RECT& r, COLORREF c) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    UniqueBrush b(CreateSolidBrush(c));
    FillRect(dc, &r, b.Get());
}

// A frame of width w inside r.
void FrameColor(HDC dc, RECT r, COLORREF c, int w = 1) {
    UniqueBrush b(CreateSolidBrush(c));
    for (int i = 0; i < w && r.right > r.left && r.bottom > r.top; ++i) {
        FrameRect(dc, &r, b.Get());
        InflateRect(&r, -1, -1);
    }
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
        stripRight = menu::FlatStripRect(items, nm->GetIconWidth(), nm->GetDpi()).right;
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
    const int dpi = p.dpi > 0 ? p.dpi : kBaseDpi;
    const int u = LineWidth(dpi);
    const RECT box = FlatFrameBox(p.w, p.h, p.systemShadow, dpi);
    const RECT inner = {u, u, box.right - u, box.bottom - u};
    if (p.firstPass) {
        const RECT& c = p.client;
        FillColor(dc, RECT{inner.left, inner.top, inner.right, c.top}, p.itemBack);
        FillColor(dc, RECT{inner.left, c.bottom, inner.right, inner.bottom}, p.itemBack);
        FillColor(dc, RECT{inner.left, c.top, c.left, c.bottom}, p.itemBack);
        FillColor(dc, RECT{c.right - u, c.top, inner.right, c.bottom}, p.itemBack);
    }
    if (p.highContrast) {
        FrameColor(dc, box, GetSysColor(COLOR_BTNTEXT), u);
        return;
    }
    FrameColor(dc, inner, p.itemBack, u);
    FillColor(dc, RECT{u, 2 * u, 2 * u, 2 * u + (box.bottom - box.top) - 4 * u}, p.strip);
    FrameColor(dc, box, p.border, u);
    if (p.systemShadow || !p.snapshot) return;

    // Own drop shadow from what was on the screen behind the window.
    const int w = p.w, h = p.h;
    HBITMAP snap = p.snapshot;
    BITMAP bm = {};
    if (!GetObjectA(snap, sizeof bm, &bm) || bm.bmWidth < w || bm.bmHeight < h) return;
    // Pixels at hand (the snapshot is a DIB) are read in place: copying them
    // out took milliseconds under Wine.
    std::vector<DWORD> copy;
    const DWORD* px = p.snapshotPixels;
    if (px) {
        GdiFlush();
    } else {
        copy = BitsOf(snap, bm.bmWidth, bm.bmHeight);
        if (copy.empty()) return;
        px = copy.data();
    }
    auto snapAt = [&](int x, int y) { return FromBgr(px[static_cast<size_t>(y) * bm.bmWidth + x]); };
    const bool palette = IsPaletteScreen(p.colorCount);
    const COLORREF btnShadow = GetSysColor(COLOR_BTNSHADOW);
    const int sw = ShadowWidth(dpi);
    const int corner = ScaleForDpi(4, dpi);
    auto rightPixel = [&](int d, int y) {
        const int x = w - d;
        if (palette) {
            const bool dark =
                ShadowStep(d, dpi) >= 3 && y >= corner && y <= h - ScaleForDpi(3, dpi);
            return dark ? btnShadow : snapAt(x, y);
        }
        const int f = RightShadowFactor(d, y, h, dpi);
        return f < 0 ? snapAt(x, y) : ScaleColor(snapAt(x, y), f);
    };
    auto bottomPixel = [&](int r, int x) {
        const int y = h - r;
        if (palette) {
            const bool dark = ShadowStep(r, dpi) >= 3 && x >= corner;
            return dark ? btnShadow : snapAt(x, y);
        }
        const int f = BottomShadowFactor(r, x, w, dpi);
        return f < 0 ? snapAt(x, y) : ScaleColor(snapAt(x, y), f);
    };
    const int columns = std::min(sw, w), rows = std::min(sw, h), bottomWidth = std::max(0, w - sw);
    if (GetDeviceCaps(dc, BITSPIXEL) * GetDeviceCaps(dc, PLANES) >= 24) {
        // The two bands (right: the last sw columns, every row; bottom: the
        // last sw rows left of the right band) composed in memory and put on the
        // window in one call each: a call per pixel cost milliseconds. Composing
        // them cost about a millisecond per pass for a long menu, so a window
        // keeps them while its snapshot and size stay.
        ShadowBands fresh;
        ShadowBands* bands = p.shadowBands && p.snapshotPixels ? p.shadowBands : &fresh;
        if (bands->source != px || !bands->source || bands->w != w || bands->h != h ||
            bands->dpi != dpi || bands->btnShadow != btnShadow || bands->palette != palette) {
            bands->palette = palette;
            bands->source = px;
            bands->w = w;
            bands->h = h;
            bands->dpi = dpi;
            bands->btnShadow = btnShadow;
            bands->right.assign(static_cast<size_t>(columns) * h, 0);
            for (int y = 0; y < h; ++y)
                for (int d = 1; d <= columns; ++d)
                    bands->right[static_cast<size_t>(y) * columns + (columns - d)] =
                        ToBgr(rightPixel(d, y));
            bands->bottom.assign(static_cast<size_t>(bottomWidth) * rows, 0);
            for (int r = 1; r <= rows; ++r)
                for (int x = 0; x < bottomWidth; ++x)
                    bands->bottom[static_cast<size_t>(rows - r) * bottomWidth + x] =
                        ToBgr(bottomPixel(r, x));
        }
        const std::vector<DWORD>& right = bands->right;
        BITMAPINFO bi = TopDown32BitInfo(columns, h);
        StretchDIBits(dc, w - columns, 0, columns, h, 0, 0, columns, h, right.data(), &bi,
                      DIB_RGB_COLORS, SRCCOPY);
        if (bottomWidth > 0) {
            const std::vector<DWORD>& bottom = bands->bottom;
            bi = TopDown32BitInfo(bottomWidth, rows);
            StretchDIBits(dc, 0, h - rows, bottomWidth, rows, 0, 0, bottomWidth, rows,
                          bottom.data(), &bi, DIB_RGB_COLORS, SRCCOPY);
        }
        return;
    }
    // Fewer colours: each pixel on its own, so that the device picks its
    // nearest colour for each.
    for (int d = 1; d <= columns; ++d)
        for (int y = 0; y < h; ++y) SetPixelV(dc, w - d, y, rightPixel(d, y));
    for (int r = 1; r <= rows; ++r)
        for (int x = 0; x < bottomWidth; ++x) SetPixelV(dc, x, h - r, bottomPixel(r, x));
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
    p.dpi = DpiForWindow(window);
    p.snapshotPixels = data->m_Screen ? data->m_ScreenPixels : nullptr;
    p.shadowBands = &data->m_shadow;
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

    // A WH_CBT hook, called when a window is made, rather than one called
    // for every message sent on the thread: under Wine each call of a
    // message hook is a server round trip, which made every message of the
    // program a hundred times dearer.
    if (!m_hHook) {
        m_hHook = SetWindowsHookExA(WH_CBT, NewMenuHook, nullptr, GetCurrentThreadId());
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

// A popup-menu window being made gets a watcher procedure under everything
// else, which subclasses it on its WM_CREATE and on every "size the menu"
// message (a window that the system reuses is not made again).
LRESULT CALLBACK CNewMenuHook::NewMenuHook(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_CREATEWND) {
        const auto window = reinterpret_cast<HWND>(w);
        char cls[8] = {};
        if (GetClassNameA(window, cls, sizeof cls) == 6 && strcmp(cls, "#32768") == 0) {
            const auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
            if (proc) {
                WatchedMenuWindows()[window] = proc;
                SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchMenuWindow));
            }
        }
    }
    return CallNextHookEx(s_instance ? s_instance->m_hHook : nullptr, code, w, l);
}

LRESULT CALLBACK CNewMenuHook::WatchMenuWindow(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    auto& watched = WatchedMenuWindows();
    const auto it = watched.find(w);
    if (it == watched.end()) return DefWindowProcA(w, msg, wp, lp);
    const WNDPROC proc = it->second;
    // The subclass handles the message it was made on, and passes it back
    // down here when it has done with it.
    if ((msg == WM_CREATE || msg == kMenuSizeMessage) && !GetMenuHookData(w) &&
        CheckSubclassing(w, msg == kMenuSizeMessage))
        return SubClassMenu(w, msg, wp, lp);
    const LRESULT r = CallWindowProcA(proc, w, msg, wp, lp);
    if (msg == WM_NCDESTROY) watched.erase(w);
    return r;
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
    data->m_oldProc = proc;
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
    const int width = wr.right - wr.left, height = wr.bottom - wr.top;
    const int cx = width + 10, cy = height + 10;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    // A 32-bit DIB in the program's memory: the shadow reads it back, and a
    // device bitmap costs a round trip to the display for that under Wine.
    BITMAPINFO bi = TopDown32BitInfo(cx, cy);
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (mem && bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        // Only the bands that the own shadow darkens are read from the screen
        // (the window's last shadow-wide columns and rows, and the spare ten
        // beyond): reading the whole area took tens of milliseconds for a long
        // menu.
        const int band = menu::ShadowWidth(DpiForWindow(w));
        const int right = std::max(0, width - band), bottom = std::max(0, height - band);
        BitBlt(mem, right, 0, cx - right, cy, screen, x + right, y, SRCCOPY);
        BitBlt(mem, 0, bottom, right, cy - bottom, screen, x, y + bottom, SRCCOPY);
        SelectObject(mem, old);
        data->m_Screen.Reset(bmp);
        data->m_ScreenPixels = static_cast<const DWORD*>(bits);
        data->m_shadow = menu::ShadowBands();  // composed again from the new one
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
            const int u = menu::LineWidth(DpiForWindow(w));
            InflateRect(&content, -u, -u);
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
            const int u = menu::LineWidth(DpiForWindow(w));
            InflateRect(&content, -u, -u);
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
        BitBlt(target, cin.left, cin.top,
               std::min<LONG>(client.right, content.right - content.left - menu::LineWidth(DpiForWindow(w))),
               client.bottom, mem.Get(), 0, 0, SRCCOPY);
    }
    data->m_dwFlags &= ~CMenuHookData::kInPrint;
    return result;
}

LRESULT CALLBACK CNewMenuHook::SubClassMenu(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    CMenuHookData* data = GetMenuHookData(w);
    WNDPROC old = data ? data->m_oldProc : OldProcOf(w);
    if (!old) return DefWindowProcA(w, msg, wp, lp);
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
                    data->m_ScreenPixels = nullptr;
                    data->m_shadow = menu::ShadowBands();
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
