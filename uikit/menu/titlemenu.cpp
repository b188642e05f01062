#include "uikit/menu/titlemenu.h"

namespace vt {

namespace {
COLOR16 Channel(BYTE value) { return static_cast<COLOR16>(value << 8); }

TRIVERTEX Vertex(LONG x, LONG y, COLORREF c) {
    TRIVERTEX v = {};
    v.x = x;
    v.y = y;
    v.Red = Channel(GetRValue(c));
    v.Green = Channel(GetGValue(c));
    v.Blue = Channel(GetBValue(c));
    return v;
}
}  // namespace

CTitleMenu::CTitleMenu(const char* gradientLibrary)
    : gradient_(gradientLibrary),
      clRight(GetSysColor(COLOR_GRADIENTACTIVECAPTION)),
      clLeft(GetSysColor(COLOR_ACTIVECAPTION)),
      clText(GetSysColor(COLOR_CAPTIONTEXT)) {
    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    ncm.lfMenuFont.lfWeight = FW_BOLD;
    titleFont_.Reset(CreateFontIndirectA(&ncm.lfMenuFont));
}

CTitleMenu::~CTitleMenu() {
    // The menu goes before the library and the font it draws with.
    DestroyMenu();
}

void CTitleMenu::AddTitle(const char* title) {
    title_ = title ? title : "";
    ::InsertMenuA(hmenu_, 0, MF_BYPOSITION | MF_OWNERDRAW | MF_DISABLED, 0, nullptr);
}

void CTitleMenu::MeasureItem(LPMEASUREITEMSTRUCT mis) {
    if (!mis) return;
    SIZE size = {};
    if (HDC dc = CreateCompatibleDC(nullptr)) {
        HGDIOBJ old = SelectObject(dc, titleFont_.Get());
        GetTextExtentPoint32A(dc, title_.c_str(), static_cast<int>(title_.size()), &size);
        SelectObject(dc, old);
        DeleteDC(dc);
    }
    mis->itemWidth = static_cast<UINT>(size.cx);
    mis->itemHeight = static_cast<UINT>(size.cy + 2);
}

void CTitleMenu::DrawItem(LPDRAWITEMSTRUCT dis) {
    if (!dis || !dis->hDC) return;
    HDC dc = dis->hDC;
    RECT rc = dis->rcItem;
    const COLORREF oldBk = SetBkColor(dc, clLeft);
    if (gradient_.HasGradientFill() && clLeft != clRight) {
        TRIVERTEX v[2] = {Vertex(rc.left, rc.top, clLeft),
                          Vertex(rc.right - 1, rc.bottom - 1, clRight)};
        GRADIENT_RECT gr = {0, 1};
        gradient_.GradientFill(dc, v, 2, &gr, 1, GRADIENT_FILL_RECT_H);
    } else {
        ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    }
    if (drawEdge_) DrawEdge(dc, &rc, edgeType_, BF_RECT);

    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldText = SetTextColor(dc, clText);
    HGDIOBJ oldFont = SelectObject(dc, titleFont_.Get());
    rc.left += GetSystemMetrics(SM_CXMENUCHECK);
    // The title is often a file path: an '&' in it is text, not a mnemonic.
    DrawTextA(dc, title_.c_str(), static_cast<int>(title_.size()), &rc,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    SetTextColor(dc, oldText);
    SetBkMode(dc, oldMode);
    SetBkColor(dc, oldBk);
}

}  // namespace vt
