#include "uikit/controls/separator.h"

#include "framework/handles.h"
#include "framework/wnd.h"

namespace vt {

namespace {
constexpr int kThemeHorizontalLine = 6;  // toolbar separator parts of the theme
constexpr int kThemeVerticalLine = 5;
constexpr int kThemeNormalState = 1;

bool IsDialogClass(HWND w) { return HasWindowClass(w, "#32770"); }
}  // namespace

bool IsPlainDialogWindow(HWND w) {
    if (!IsDialogClass(w)) return false;
    const bool child = (GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD) != 0;
    return !(child && IsDialogClass(GetParent(w)));
}

CSeparator::CSeparator(const CThemeAccess& theme) : theme_(theme) {
    auto& t = Table();
    t.OnMessage(WM_PAINT, [this](WPARAM, LPARAM) -> LRESULT {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        if (dc) DrawSeparator(dc, 0);
        EndPaint(hwnd_, &ps);
        return 0;
    });
    auto print = [this](WPARAM w, LPARAM l) -> LRESULT {
        DrawSeparator(reinterpret_cast<HDC>(w), l);
        return 0;
    };
    t.OnMessage(WM_PRINT, print);
    t.OnMessage(WM_PRINTCLIENT, print);
    t.OnMessage(WM_ENABLE, [this](WPARAM, LPARAM) -> LRESULT {
        LRESULT r = Default();
        Redraw();
        return r;
    });
}

bool CSeparator::Create(DWORD style, const RECT& rect, HWND parent, UINT id) {
    return CreateEx(WS_EX_TRANSPARENT, "STATIC", "", style, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, parent,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

void CSeparator::PreSubclassWindow() {
    ::SetWindowTextA(hwnd_, "");
    SetWindowLongPtrA(hwnd_, GWL_EXSTYLE,
                      GetWindowLongPtrA(hwnd_, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
}

void CSeparator::Redraw() const {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
}

void CSeparator::DrawSeparator(HDC dc, LPARAM) {
    if (!dc) return;
    RECT rc = GetClientRect();
    const bool themed = theme_.IsAppThemed() != FALSE;
    if (!themed || IsPlainDialogWindow(::GetParent(hwnd_)))
        FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    const int width = rc.right - rc.left, height = rc.bottom - rc.top;
    const bool vertical = width < height;

    if (themed) {
        if (HTHEME theme = theme_.OpenThemeData(hwnd_, L"TOOLBAR")) {
            const HRESULT drawn = theme_.DrawThemeBackground(
                theme, dc, vertical ? kThemeVerticalLine : kThemeHorizontalLine, kThemeNormalState,
                &rc, nullptr);
            theme_.CloseThemeData(theme);
            if (SUCCEEDED(drawn)) return;
        }
        // No theme data after all: the plain line below.
    }

    RECT shadow, light;
    if (vertical) {
        const int x = rc.left + (width - 1) / 2;
        if (height - 4 <= 0) return;
        shadow = {x, rc.top + 2, x + 1, rc.top + 2 + height - 4};
        light = {x + 1, shadow.top, x + 2, shadow.bottom};
    } else {
        const int y = rc.top + (height - 1) / 2;
        if (width - 4 <= 0) return;
        shadow = {rc.left + 2, y, rc.left + 2 + width - 4, y + 1};
        light = {shadow.left, y + 1, shadow.right, y + 2};
    }
    FillRect(dc, &shadow, GetSysColorBrush(COLOR_BTNSHADOW));
    FillRect(dc, &light, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
}

}  // namespace vt
