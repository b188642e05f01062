#include "unit/dialogs/dialogdriver.h"

#include <objbase.h>

#include "support/testsupport.h"

namespace dlgtest {
namespace test = vt::test;

DialogThread::DialogThread(std::function<INT_PTR()> body)
    : started_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    thread_ = std::thread([this, body] {
        tid_ = GetCurrentThreadId();
        SetEvent(started_);
        CoInitialize(nullptr);
        result_ = body();
        CoUninitialize();
        InterlockedExchange(&ended_, 1);
    });
    WaitForSingleObject(started_, 10000);
}

DialogThread::~DialogThread() {
    // Whatever the test left open is closed, innermost first, until the
    // body returns.
    const DWORD start = GetTickCount();
    while (!Ended() && GetTickCount() - start < 15000) {
        for (HWND w : ThreadWindows(tid_)) {
            if (!IsWindowVisible(w)) continue;
            if (test::ClassNameOf(w) == "#32768")
                PostMessageA(w, WM_KEYDOWN, VK_ESCAPE, 0);
            else
                PostMessageA(w, WM_CLOSE, 0, 0);
        }
        WaitForEnd(300);
    }
    if (thread_.joinable()) {
        if (Ended())
            thread_.join();
        else
            thread_.detach();  // the process ends with the test program
    }
    CloseHandle(started_);
}

bool DialogThread::Ended() const {
    return InterlockedCompareExchange(const_cast<LONG*>(&ended_), 0, 0) != 0;
}

bool DialogThread::WaitForEnd(DWORD timeoutMs) {
    return test::WaitUntil([&] { return Ended(); }, timeoutMs);
}

namespace {
BOOL CALLBACK CollectWindow(HWND w, LPARAM l) {
    reinterpret_cast<std::vector<HWND>*>(l)->push_back(w);
    return TRUE;
}
}  // namespace

std::vector<HWND> ThreadWindows(DWORD tid) {
    std::vector<HWND> windows;
    EnumThreadWindows(tid, CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

HWND DialogThread::WaitForDialog(const std::string& caption, DWORD timeoutMs) const {
    HWND found = nullptr;
    test::WaitUntil(
        [&] {
            for (HWND w : ThreadWindows(tid_))
                if (IsWindowVisible(w) && test::ClassNameOf(w) == "#32770" &&
                    test::TextOf(w) == caption)
                    return (found = w) != nullptr;
            return false;
        },
        timeoutMs);
    return found;
}

namespace {
struct ClassSearch {
    std::string cls;
    bool found = false;
};

BOOL CALLBACK MatchClass(HWND w, LPARAM l) {
    auto* s = reinterpret_cast<ClassSearch*>(l);
    if (test::ClassNameOf(w) == s->cls) s->found = true;
    return s->found ? FALSE : TRUE;
}

bool HasChildOfClass(HWND parent, const std::string& cls) {
    ClassSearch s{cls};
    EnumChildWindows(parent, MatchClass, reinterpret_cast<LPARAM>(&s));
    return s.found;
}
}  // namespace

HWND DialogThread::WaitForWindowWithChild(const std::string& childClass,
                                          const std::vector<HWND>& except, DWORD timeoutMs) const {
    HWND found = nullptr;
    test::WaitUntil(
        [&] {
            for (HWND w : ThreadWindows(tid_)) {
                if (!IsWindowVisible(w)) continue;
                bool excluded = false;
                for (HWND e : except) excluded |= e == w;
                if (!excluded && (childClass.empty() || HasChildOfClass(w, childClass)))
                    return (found = w) != nullptr;
            }
            return false;
        },
        timeoutMs);
    return found;
}

HWND DialogThread::WaitForMessageBox(const std::string& text, DWORD timeoutMs) const {
    HWND found = nullptr;
    test::WaitUntil(
        [&] {
            for (HWND w : ThreadWindows(tid_)) {
                if (!IsWindowVisible(w) || test::ClassNameOf(w) != "#32770") continue;
                HWND label = GetDlgItem(w, 0xFFFF);  // a message box's text
                if (label && test::TextOf(label).find(text) != std::string::npos)
                    return (found = w) != nullptr;
            }
            return false;
        },
        timeoutMs);
    return found;
}

HWND DialogThread::WaitForMenu(DWORD timeoutMs) const {
    HWND found = nullptr;
    test::WaitUntil(
        [&] {
            for (HWND w : ThreadWindows(tid_))
                if (IsWindowVisible(w) && test::ClassNameOf(w) == "#32768")
                    return (found = w) != nullptr;
            return false;
        },
        timeoutMs);
    return found;
}

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::string TextOf(HWND dialog, int id) { return test::TextOf(GetDlgItem(dialog, id)); }

void SetText(HWND dialog, int id, const std::string& text) {
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

HMENU MenuOf(HWND menuWindow) {
    return reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
}

std::vector<std::string> MenuTexts(HWND menuWindow) {
    std::vector<std::string> texts;
    HMENU menu = MenuOf(menuWindow);
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char buf[512] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), buf, sizeof buf, MF_BYPOSITION);
        texts.push_back(buf);
    }
    return texts;
}

bool ClickAt(POINT screen, HWND onlyOver) {
    SetCursorPos(screen.x, screen.y);
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    INPUT in[3] = {};
    for (INPUT& i : in) i.type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in[0].mi.dx = MulDiv(screen.x, 65535, cx - 1);
    in[0].mi.dy = MulDiv(screen.y, 65535, cy - 1);
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &in[0], sizeof(INPUT));
    test::WaitUntil(
        [&] {
            POINT p;
            return GetCursorPos(&p) && p.x == screen.x && p.y == screen.y;
        },
        2000);
    if (onlyOver && WindowFromPoint(screen) != onlyOver) return false;
    SendInput(2, &in[1], sizeof(INPUT));
    return true;
}

bool ClickMenuItem(HWND menuWindow, UINT id) {
    HMENU menu = MenuOf(menuWindow);
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        if (GetMenuItemID(menu, i) != id) continue;
        RECT r = {};
        if (!GetMenuItemRect(nullptr, menu, static_cast<UINT>(i), &r)) return false;
        // A click that comes while the menu is still taking the mouse can be
        // lost (seen under load); the menu then stays open, so click again.
        // A menu closed by something else must not pass the click on to the
        // window below it (a dialog's Cancel button, say).
        for (int attempt = 0; attempt < 3; ++attempt) {
            if (!ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2}, menuWindow))
                return false;
            if (test::WaitUntil(
                    [&] { return !IsWindow(menuWindow) || !IsWindowVisible(menuWindow); }, 2000))
                return true;
        }
        return false;
    }
    return false;
}

}  // namespace dlgtest
