// Cost of a message sent through the subclassing chain (what every message of
// the main window pays once the tray icon hooks it) and of the theme query
// that resolves its entry point on each call.
#include <windows.h>
#include <stdio.h>

#include "framework/wnd.h"
#include "uikit/hookwnd.h"
#include "uikit/theme.h"

namespace {

const UINT kPing = WM_APP + 1;

class PassLink : public vt::CHookWnd {};

class PingFrame : public vt::CFrameWnd {
public:
    PingFrame() {
        Table().OnMessage(kPing, [](WPARAM w, LPARAM) { return static_cast<LRESULT>(w); });
    }
};

double NanosPer(int count, LARGE_INTEGER start, LARGE_INTEGER end) {
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    return double(end.QuadPart - start.QuadPart) * 1e9 / double(freq.QuadPart) / count;
}

double SendCost(HWND w, int count) {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    for (int i = 0; i < count; ++i) SendMessageA(w, kPing, static_cast<WPARAM>(i), 0);
    QueryPerformanceCounter(&b);
    return NanosPer(count, a, b);
}

}  // namespace

int main() {
    const int kCount = 200000;
    vt::CWindowImpl::RegisterClass("VtBenchTray");
    PingFrame frame;
    if (!frame.CreateEx(0, "VtBenchTray", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr))
        return 1;
    HWND w = frame.GetSafeHwnd();
    printf("send_frame_no_links: %.0f ns\n", SendCost(w, kCount));
    PassLink links[3];
    links[0].HookWindow(w);
    printf("send_frame_1_link: %.0f ns\n", SendCost(w, kCount));
    links[1].HookWindow(w);
    links[2].HookWindow(w);
    printf("send_frame_3_links: %.0f ns\n", SendCost(w, kCount));

    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    BOOL themed = FALSE;
    for (int i = 0; i < kCount; ++i) themed ^= vt::Theme().IsAppThemed();
    QueryPerformanceCounter(&b);
    printf("theme_is_app_themed: %.0f ns\n", NanosPer(kCount, a, b) + (themed ? 0 : 0));
    return 0;
}
