#include "uikit/menu/menuhook.h"

#include <string.h>

#include <algorithm>
#include <utility>

#include "framework/gdi.h"
#include "uikit/theme.h"
#include "framework/trace.h"
#include "uikit/menu/menustyles.h"
#include "uikit/menu/menudrawingcache.h"
#include "uikit/menu/menuerror.h"
#include "uikit/menu/menuframe.h"
#include "uikit/menu/menumetrics.h"
#include "uikit/menu/menuthemexp.h"
#include "uikit/menu/newmenuicons.h"

namespace vt {

namespace {

const char kOldMenuProc[] = "OldMenuProc";
constexpr UINT kMenuSizeMessage = 0x1E2;  // the system's undocumented "size the menu"

CNewMenuHook* s_instance = nullptr;

WNDPROC OldProcOf(HWND w) { return reinterpret_cast<WNDPROC>(GetPropA(w, kOldMenuProc)); }

// The menu windows that the watcher procedure sits on, with the procedure it
// replaced. Never freed: a window may outlive the toolkit at exit.
std::map<HWND, WNDPROC>& WatchedMenuWindows() {
    static auto* windows = new std::map<HWND, WNDPROC>;
    return *windows;
}

}  // namespace

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
        version_ = menu::VersionCode(osv.dwPlatformId, osv.dwMajorVersion, osv.dwMinorVersion);
    } else {
        DWORD v = GetVersion();
        // The top bit of GetVersion's result marks the Windows 9x family.
        DWORD platform = (v & 0x80000000u) ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT;
        version_ = menu::VersionCode(platform, LOBYTE(LOWORD(v)), HIBYTE(LOWORD(v)));
    }
    HIGHCONTRASTA hc = {};
    hc.cbSize = sizeof hc;
    if (SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0))
        highContrast_ = (hc.dwFlags & HCF_HIGHCONTRASTON) != 0;

    // Both libraries are bound once for the process (theme.h, gradientaccess.h).
    if (version_ != menu::kVersion98) gradient_ = &Gradient();

    RegisterMenuTheme(new CMenuTheme(kClassicMenuStyle, menu::ClassicMeasureItem,
                                     menu::ClassicDrawItem, CMenuTheme::NoTitle, 0));
    RegisterMenuTheme(new CMenuThemeXP(kFlatMenuStyle, menu::FlatMeasureItem, menu::FlatDrawItem,
                                       CMenuTheme::NoTitle, CMenuTheme::kDrawsOwnFrame));
    SetMenuStyle(kFlatMenuStyle);

    // A WH_CBT hook, called when a window is made, rather than one called
    // for every message sent on the thread: under Wine each call of a
    // message hook is a server round trip, which made every message of the
    // program a hundred times dearer.
    if (!hook_) {
        hook_ = SetWindowsHookExA(WH_CBT, NewMenuHook, nullptr, GetCurrentThreadId());
        if (!hook_) {
            const DWORD code = GetLastError();
            menu::ShowLastError();
            s_instance = nullptr;
            throw menu::HookInstallError(code);
        }
    }
}

CNewMenuHook::~CNewMenuHook() {
    if (hook_ && !UnhookWindowsHookEx(hook_)) menu::ShowLastError();
    hook_ = nullptr;
    currentTheme_ = nullptr;
    themes_.clear();
    gradient_ = nullptr;
    for (CNewMenuIcons* icons : sharedIcons_) delete icons;
    sharedIcons_.clear();
    menuHookData_.clear();
    s_instance = nullptr;
}

BOOL CNewMenuHook::RegisterMenuTheme(CMenuTheme* theme) {
    if (!theme) return FALSE;
    for (const auto& t : themes_)
        if (t.get() == theme) return FALSE;
    themes_.emplace_back(theme);
    return TRUE;
}

CMenuTheme* CNewMenuHook::FindTheme(int key) const {
    for (const auto& t : themes_)
        if (t->key_ == key) return t.get();
    return nullptr;
}

int CNewMenuHook::SetMenuStyle(int key) {
    CMenuTheme* theme = FindTheme(key);
    if (!theme) return -1;
    menu::DropDrawingCache();  // the system's menu font may have changed
    int previous = currentTheme_ ? currentTheme_->key_ : -1;
    currentTheme_ = theme;
    return previous;
}

int CNewMenuHook::ScreenColorCount() {
    if (colorCount_ == 0) {
        HDC screen = GetDC(nullptr);
        colorCount_ = menu::NormaliseColorCount(GetDeviceCaps(screen, NUMCOLORS));
        ReleaseDC(nullptr, screen);
    }
    return colorCount_;
}

bool CNewMenuHook::IsThemeActive() const { return Theme().IsThemeActive() != FALSE; }

CNewMenuHook::CMenuHookData* CNewMenuHook::GetMenuHookData(HWND window) {
    if (!s_instance) return nullptr;
    auto it = s_instance->menuHookData_.find(window);
    return it == s_instance->menuHookData_.end() ? nullptr : it->second.get();
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
                SetWindowLongPtrA(window, GWLP_WNDPROC,
                                  reinterpret_cast<LONG_PTR>(&WatchMenuWindow));
            }
        }
    }
    return CallNextHookEx(s_instance ? s_instance->hook_ : nullptr, code, w, l);
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
    data->oldProc_ = proc;
    data->flags_ = onSizeMessage ? CMenuHookData::kOnSizeMessage : 0;
    data->savedStyle_ = GetWindowLongPtrA(w, GWL_STYLE);
    data->savedExStyle_ = GetWindowLongPtrA(w, GWL_EXSTYLE);
    self.menuHookData_[w] = std::move(data);
    SetLastError(0);
    if (!SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubClassMenu)) &&
        GetLastError())
        menu::ShowLastError();
    if (self.currentTheme_) self.currentTheme_->OnInitWindow(w);
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
    if (s_instance->currentTheme_) s_instance->currentTheme_->OnUninitWindow(w);
    s_instance->menuHookData_.erase(w);
}

void CNewMenuHook::TakeSnapshot(HWND w, CMenuHookData* data, const RECT* where) {
    RECT wr = {};
    GetWindowRect(w, &wr);
    int x = data->lastX_, y = data->lastY_;
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
        data->snapshot_.Reset(bmp);
        data->snapshotPixels_ = static_cast<const DWORD*>(bits);
        data->shadow_ = menu::ShadowBands();  // composed again from the new one
    } else if (bmp) {
        DeleteObject(bmp);
    }
    if (mem) DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

LRESULT CNewMenuHook::OnNcPaint(HWND w, CMenuHookData* data, WNDPROC old, WPARAM wp, LPARAM lp) {
    if (data->flags_ & CMenuHookData::kInPrint) return 0;
    CMenuTheme* theme = s_instance->currentTheme_;
    if (!theme || !theme->DrawsOwnFrame()) return CallWindowProcA(old, w, WM_NCPAINT, wp, lp);
    if (data->framePainted_) {
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
    if (!data->snapshot_) TakeSnapshot(w, data, nullptr);
    return CallWindowProcA(old, w, WM_NCPAINT, wp, lp);
}

LRESULT CNewMenuHook::OnPrint(HWND w, CMenuHookData* data, WNDPROC old, WPARAM wp, LPARAM lp) {
    CMenuTheme* theme = s_instance->currentTheme_;
    HDC target = reinterpret_cast<HDC>(wp);
    data->flags_ |= CMenuHookData::kInPrint;
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
        menu::PaintClientBand(w, mem.Get());
        RECT cin = menu::ClientInWindow(w);
        BitBlt(target, cin.left, cin.top,
               std::min<LONG>(client.right,
                              content.right - content.left - menu::LineWidth(DpiForWindow(w))),
               client.bottom, mem.Get(), 0, 0, SRCCOPY);
    }
    data->flags_ &= ~CMenuHookData::kInPrint;
    return result;
}

LRESULT CALLBACK CNewMenuHook::SubClassMenu(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    CMenuHookData* data = GetMenuHookData(w);
    WNDPROC old = data ? data->oldProc_ : OldProcOf(w);
    if (!old) return DefWindowProcA(w, msg, wp, lp);
    if (!data || !s_instance) return CallWindowProcA(old, w, msg, wp, lp);
    CMenuTheme* theme = s_instance->currentTheme_;
    const bool own = data->ownFrame_ && theme;
    const bool ownFrame = own && theme->DrawsOwnFrame();
    switch (msg) {
        case WM_ERASEBKGND:
            if (own) {
                if (ownFrame && !(data->flags_ & CMenuHookData::kInPrint) && !data->framePainted_) {
                    data->framePainted_ = TRUE;
                    SendMessageA(w, WM_NCPAINT, 1, 0);
                }
                if (theme->EraseWindow(w, reinterpret_cast<HDC>(wp))) return 1;
            }
            break;
        case WM_PAINT: {
            LRESULT r = CallWindowProcA(old, w, msg, wp, lp);
            if (ownFrame && IsWindow(w)) {
                HDC dc = GetDC(w);
                menu::PaintClientBand(w, dc);
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
                if (ownFrame && (pos->flags & SWP_SHOWWINDOW) && !data->snapshot_) {
                    // Before the window covers the screen, at the place and size
                    // it is about to take.
                    RECT now = {};
                    GetWindowRect(w, &now);
                    RECT to = now;
                    if (!(pos->flags & SWP_NOMOVE))
                        OffsetRect(&to, pos->x - now.left, pos->y - now.top);
                    if (!(pos->flags & SWP_NOSIZE)) {
                        to.right = to.left + pos->cx;
                        to.bottom = to.top + pos->cy;
                    }
                    TakeSnapshot(w, data, &to);
                }
            }
            if (pos && !(pos->flags & SWP_NOMOVE)) {
                if (data->lastX_ == 0 && data->lastY_ == 0) {
                    data->lastX_ = pos->x;
                    data->lastY_ = pos->y;
                } else if (data->lastX_ != pos->x || data->lastY_ != pos->y) {
                    if (pos->flags & SWP_NOSIZE) {
                        data->lastX_ = pos->x;
                        data->lastY_ = pos->y;
                        data->snapshot_.Reset();  // taken again at the new place
                        data->snapshotPixels_ = nullptr;
                        data->shadow_ = menu::ShadowBands();
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
