#include "uikit/controls/staticseparator.h"

#include "framework/ddx.h"

namespace vt {

std::string DisplayedStaticText(const std::string& text, bool noPrefix) {
    if (noPrefix) return text;
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        // "&x" shows x (underlined), "&&" shows one '&'.
        if (text[i] == '&' && ++i == text.size()) break;
        shown += text[i];
    }
    return shown;
}

CStaticSeparator::CStaticSeparator(const CThemeAccess& theme) : line_(theme), theme_(theme) {
    auto& t = Table();
    t.OnMessage(WM_SIZE, [this](WPARAM, LPARAM l) { return OnSize(l); });
    t.OnMessage(WM_MOVE, [this](WPARAM, LPARAM) -> LRESULT {
        LRESULT r = Default();
        LayOutLine();
        return r;
    });
    t.OnMessage(WM_SETTEXT, [this](WPARAM, LPARAM) -> LRESULT {
        LRESULT r = Default();
        LayOutLine();
        Redraw();
        return r;
    });
    t.OnMessage(WM_ENABLE, [this](WPARAM, LPARAM) -> LRESULT {
        LRESULT r = Default();
        Redraw();
        return r;
    });
    t.OnMessage(WM_DESTROY, [this](WPARAM, LPARAM) -> LRESULT {
        line_.DestroyWindow();
        LRESULT r = Default();
        boldFont_.Reset();
        return r;
    });
}

void CStaticSeparator::PreSubclassWindow() {
    MakeBoldFont();
    LayOutLine();
}

void CStaticSeparator::MakeBoldFont() {
    HFONT font = GetFont();
    if (!font) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    LOGFONTA lf = {};
    if (!GetObjectA(font, sizeof lf, &lf)) return;
    lf.lfWeight = FW_BOLD;
    UniqueFont bold(CreateFontIndirectA(&lf));
    if (!bold) return;
    SetFont(bold.Get(), false);
    boldFont_ = std::move(bold);
}

void CStaticSeparator::Redraw() const {
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
}

void CStaticSeparator::LayOutLine() {
    if (line_.hwnd_) line_.DestroyWindow();
    const bool noPrefix = (GetStyle() & SS_NOPREFIX) != 0;
    const std::string text = DisplayedStaticText(WindowTextOf(hwnd_), noPrefix);
    if (text.empty()) return;

    const std::string measured = text + " ";
    SIZE size = {};
    if (HDC dc = GetDC(hwnd_)) {
        ScopedSelect font(dc, GetFont());
        GetTextExtentPoint32A(dc, measured.c_str(), static_cast<int>(measured.size()), &size);
        ReleaseDC(hwnd_, dc);
    }
    RECT rc = GetClientRect();
    width_ = rc.right - rc.left;
    // A text wider than the control leaves a line of no width, not a
    // reversed one.
    rc.left = size.cx < rc.right ? size.cx : rc.right;
    if (theme_.IsAppThemed()) rc.top += size.cy / 3;
    line_.Create(WS_CHILD | WS_VISIBLE, rc, hwnd_, kLineId);
}

LRESULT CStaticSeparator::OnSize(LPARAM size) {
    LRESULT r = Default();
    if (!boldFont_) {
        MakeBoldFont();
        LayOutLine();
    }
    const int cx = static_cast<short>(LOWORD(size)), cy = static_cast<short>(HIWORD(size));
    if (line_.hwnd_) {
        RECT line = line_.GetWindowRect();
        MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&line), 2);
        // The line keeps its left edge and follows the control's width
        // change, never becoming narrower than nothing.
        const int oldWidth = line.right - line.left;
        int newWidth = oldWidth + (cx - width_);
        if (newWidth < 0 || line.left + newWidth > cx)
            newWidth = cx > line.left ? cx - line.left : 0;
        SetWindowPos(line_.hwnd_, nullptr, 0, 0, newWidth, cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    width_ = cx;
    return r;
}

}  // namespace vt
