#include "uikit/menu/menuhook.h"

#include <string.h>

#include <algorithm>
#include <utility>

#include "framework/gdi.h"
#include "framework/trace.h"
#include "framework/wnd.h"
#include "uikit/theme.h"
#include "uikit/menu/menustyles.h"
#include "uikit/menu/menudrawingcache.h"
#include "uikit/menu/menuerror.h"
#include "uikit/menu/menuframe.h"
#include "uikit/menu/menumetrics.h"
#include "uikit/menu/menusystem.h"
#include "uikit/menu/menuthemexp.h"
#include "uikit/menu/menuwindowlink.h"
#include "uikit/menu/newmenuicons.h"

namespace vt {

namespace {

const char kOldMenuProc[] = "OldMenuProc";
constexpr UINT kMenuSizeMessage = 0x1E2;  // the system's undocumented "size the menu"

CNewMenuHook* s_instance = nullptr;

// The links of the menu windows, each until its window's WM_NCDESTROY.
// Never freed: a window may outlive the toolkit at exit. GUI thread only.
std::map<HWND, std::unique_ptr<CNewMenuHook::CMenuWindowLink>>& MenuLinks() {
    static auto* links = new std::map<HWND, std::unique_ptr<CNewMenuHook::CMenuWindowLink>>;
    return *links;
}

}  // namespace

// ---- CNewMenuHook ----------------------------------------------------------

CNewMenuHook& CNewMenuHook::Instance() {
    static CNewMenuHook instance;
    return instance;
}

CNewMenuHook::CNewMenuHook() {
    s_instance = this;
    // Every system the program starts on answers; XP and later is assumed
    // should one not.
    OSVERSIONINFOA osv = {};
    osv.dwOSVersionInfoSize = sizeof osv;
    if (GetVersionExA(&osv))
        version_ = menu::VersionCode(osv.dwPlatformId, osv.dwMajorVersion, osv.dwMinorVersion);
    HIGHCONTRASTA hc = {};
    hc.cbSize = sizeof hc;
    if (SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0))
        highContrast_ = (hc.dwFlags & HCF_HIGHCONTRASTON) != 0;

    // Both libraries are bound once for the process (theme.h, gradientaccess.h).
    gradient_ = &Gradient();

    RegisterMenuTheme(
        new CMenuTheme(kClassicMenuStyle, menu::ClassicMeasureItem, menu::ClassicDrawItem, 0));
    RegisterMenuTheme(new CMenuThemeXP(kFlatMenuStyle, menu::FlatMeasureItem, menu::FlatDrawItem,
                                       CMenuTheme::kDrawsOwnFrame));
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

CNewMenuIcons* CNewMenuHook::AddSharedIcons(std::unique_ptr<CNewMenuIcons> icons) {
    sharedIcons_.push_back(std::move(icons));
    return sharedIcons_.back().get();
}

bool CNewMenuHook::DeleteSharedIcons(const CNewMenuIcons* icons) {
    auto it = std::find_if(sharedIcons_.begin(), sharedIcons_.end(),
                           [icons](const auto& shared) { return shared.get() == icons; });
    if (it == sharedIcons_.end()) return false;
    sharedIcons_.erase(it);
    return true;
}

BOOL CNewMenuHook::SetUsePreparedImages(BOOL use) { return std::exchange(usePreparedImages_, use); }

CMenuTheme* CNewMenuHook::FindTheme(int key) const {
    for (const auto& t : themes_)
        if (t->Key() == key) return t.get();
    return nullptr;
}

int CNewMenuHook::SetMenuStyle(int key) {
    CMenuTheme* theme = FindTheme(key);
    if (!theme) return -1;
    menu::DropDrawingCache();  // the system's menu font may have changed
    int previous = currentTheme_ ? currentTheme_->Key() : -1;
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

// A popup-menu window being made gets its link under everything else, which
// takes it over on its WM_CREATE and on every "size the menu" message (a
// window that the system reuses is not made again).
LRESULT CALLBACK CNewMenuHook::NewMenuHook(int code, WPARAM w, LPARAM l) {
    if (code == HCBT_CREATEWND) {
        const auto window = reinterpret_cast<HWND>(w);
        if (HasWindowClass(window, "#32768")) {
            try {
                LinkMenuWindow(window);
            } catch (...) {
                TraceCurrentException("menu window hook");
            }
        }
    }
    return CallNextHookEx(s_instance ? s_instance->hook_ : nullptr, code, w, l);
}

CNewMenuHook::CMenuWindowLink* CNewMenuHook::LinkMenuWindow(HWND w) {
    auto& links = MenuLinks();
    auto it = links.find(w);
    if (it != links.end()) {
        if (it->second->GetHookedWnd().GetSafeHwnd() == w) return it->second.get();
        links.erase(it);  // left for a window whose handle has come back
    }
    auto link = std::make_unique<CMenuWindowLink>();
    if (!link->HookWindow(w)) return nullptr;
    return (links[w] = std::move(link)).get();
}

void CNewMenuHook::DropMenuWindow(HWND w) {
    UnsubClassMenu(w);
    MenuLinks().erase(w);  // deletes its link
}

BOOL CNewMenuHook::CheckSubclassing(HWND w, BOOL onSizeMessage) {
    if (!s_instance) return FALSE;
    CNewMenuHook& self = *s_instance;
    if (GetMenuHookData(w) || GetPropA(w, kOldMenuProc)) return FALSE;
    if (!HasWindowClass(w, "#32768")) return FALSE;
    CMenuWindowLink* link = LinkMenuWindow(w);
    if (!link) return FALSE;
    // The mark other code may look for; the chain does the subclassing.
    const HANDLE mark = static_cast<HANDLE>(link);
    if (!SetPropA(w, kOldMenuProc, mark)) menu::ShowLastError();
    if (GetPropA(w, kOldMenuProc) != mark) return FALSE;
    auto data = std::make_unique<CMenuHookData>();
    data->flags_ = onSizeMessage ? CMenuHookData::kOnSizeMessage : 0;
    data->savedStyle_ = GetWindowLongPtrA(w, GWL_STYLE);
    data->savedExStyle_ = GetWindowLongPtrA(w, GWL_EXSTYLE);
    self.menuHookData_[w] = std::move(data);
    if (self.currentTheme_) self.currentTheme_->OnInitWindow(w);
    return TRUE;
}

void CNewMenuHook::UnsubClassMenu(HWND w) {
    if (!GetPropA(w, kOldMenuProc)) return;
    RemovePropA(w, kOldMenuProc);
    if (!s_instance) return;
    // The style puts the window's style bits back while its data still exists.
    if (s_instance->currentTheme_) s_instance->currentTheme_->OnUninitWindow(w);
    s_instance->menuHookData_.erase(w);
}

bool CNewMenuHook::NeedsSnapshot() {
    // Only the own shadow shows what was behind the menu; the system's
    // shadow (on by default on Windows 10 and 11) and the high-contrast frame
    // have none. Reading the screen is the dearest part of a showing.
    return s_instance && !s_instance->highContrast_ && !menu::SystemDropShadow();
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

LRESULT CNewMenuHook::OnNcPaint(CMenuWindowLink& link, HWND w, CMenuHookData* data, WPARAM wp,
                                LPARAM lp) {
    if (data->flags_ & CMenuHookData::kInPrint) return 0;
    CMenuTheme* theme = s_instance->currentTheme_;
    if (!theme || !theme->DrawsOwnFrame()) return link.PassOn(WM_NCPAINT, wp, lp);
    if (data->framePainted_) {
        HDC dc = GetWindowDC(w);
        RECT content = {};
        if (theme->PaintFrame(w, dc, FALSE) && theme->GetContentRect(w, &content)) {
            const int u = menu::LineWidth(DpiForWindow(w));
            InflateRect(&content, -u, -u);
            UniqueRgn rgn(CreateRectRgnIndirect(&content));
            link.PassOn(WM_NCPAINT, reinterpret_cast<WPARAM>(rgn.Get()), 0);
            theme->PaintFrame(w, dc, TRUE);
        }
        ReleaseDC(w, dc);
        return 0;
    }
    if (!data->snapshot_ && NeedsSnapshot()) TakeSnapshot(w, data, nullptr);
    return link.PassOn(WM_NCPAINT, wp, lp);
}

LRESULT CNewMenuHook::OnPrint(CMenuWindowLink& link, HWND w, CMenuHookData* data, WPARAM wp,
                              LPARAM lp) {
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
            result = link.PassOn(WM_PRINT, reinterpret_cast<WPARAM>(mem.Get()),
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

LRESULT CNewMenuHook::SubClassMenu(CMenuWindowLink& link, HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if ((msg == WM_CREATE || msg == kMenuSizeMessage) && !GetMenuHookData(w))
        CheckSubclassing(w, msg == kMenuSizeMessage);
    CMenuHookData* data = GetMenuHookData(w);
    if (!data || !s_instance) return link.PassOn(msg, wp, lp);
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
            LRESULT r = link.PassOn(msg, wp, lp);
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
            return link.PassOn(msg, wp, lp);
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
                if (ownFrame && (pos->flags & SWP_SHOWWINDOW) && !data->snapshot_ &&
                    NeedsSnapshot()) {
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
            if (own) return OnNcPaint(link, w, data, wp, lp);
            break;
        case WM_PRINT:
            if (ownFrame) return OnPrint(link, w, data, wp, lp);
            break;
        default:
            break;
    }
    return link.PassOn(msg, wp, lp);
}

}  // namespace vt
