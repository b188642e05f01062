#include "lookdialog.h"

#include <commctrl.h>

#include "support/testsupport.h"

namespace looktest {

namespace {
constexpr UINT kRun = WM_APP + 40;
}

CLookDialog::CLookDialog(UINT templateId) : vt::CDialog(templateId) {
    // The manifest asks for the common controls' own combo box and buttons,
    // which exist once the library is started, as the program does.
    InitCommonControls();
    Table().OnMessage(kRun, [](WPARAM, LPARAM l) -> LRESULT {
        (*reinterpret_cast<const std::function<void()>*>(l))();
        return 1;
    });
}

void RunOn(HWND dialog, const std::function<void()>& f) {
    SendMessageA(dialog, kRun, 0, reinterpret_cast<LPARAM>(&f));
}

COLORREF PixelOf(HWND w, int x, int y) {
    HDC dc = GetWindowDC(w);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(w, dc);
    return c;
}

bool WaitForPixel(HWND w, int x, int y, int sysColor, DWORD timeoutMs) {
    return vt::test::WaitUntil([&] { return PixelOf(w, x, y) == GetSysColor(sysColor); },
                               timeoutMs);
}

void MouseTo(int x, int y) { SetCursorPos(x, y); }

void MouseOnto(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

}  // namespace looktest
