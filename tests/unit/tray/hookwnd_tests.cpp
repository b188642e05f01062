#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "framework/wnd.h"
#include "support/testsupport.h"
#include "uikit/hookwnd.h"

using namespace vt;

namespace {

const UINT kPing = WM_APP + 1;
const UINT kNested = WM_APP + 2;
const UINT kThrow = WM_APP + 3;

std::vector<std::string> g_log;
// What the window's own procedure saw at WM_NCDESTROY.
bool g_ncDestroySeen = false;
bool g_chainGoneAtNcDestroy = false;
WNDPROC g_procAtNcDestroy = nullptr;

LRESULT CALLBACK OwnProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case kPing:
        case kNested:
            g_log.push_back("own:" + std::to_string(msg - WM_APP) + ":" + std::to_string(wp));
            return 1000 + static_cast<LRESULT>(wp);
        case WM_NCDESTROY:
            g_ncDestroySeen = true;
            g_chainGoneAtNcDestroy = GetPropA(w, "HookWnd_P") == nullptr;
            g_procAtNcDestroy = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC));
            break;
        default:
            break;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

// A window of a class with its own procedure, destroyed with the test.
class PlainWindow {
public:
    PlainWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = OwnProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VtHookTestWnd";
        RegisterClassA(&wc);
        hwnd = CreateWindowExA(0, "VtHookTestWnd", "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
        g_log.clear();
        g_ncDestroySeen = g_chainGoneAtNcDestroy = false;
        g_procAtNcDestroy = nullptr;
    }
    ~PlainWindow() {
        if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
    WNDPROC Proc() const {
        return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
    }
    HWND hwnd = nullptr;
};

// A link that logs what it sees and passes it on (through WindowProc, or
// through Default, which passes the message as the window received it),
// optionally changing the parameter on the way, sending another message
// first or throwing.
class LoggingLink : public CHookWnd {
public:
    explicit LoggingLink(std::string name, WPARAM add = 0) : name_(std::move(name)), add_(add) {}
    bool nestBeforeDefault = false;
    bool useDefault = true;
    int destroySeen = 0;
    int ncDestroySeen = 0;

    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        if (msg == WM_DESTROY) ++destroySeen;
        if (msg == WM_NCDESTROY) ++ncDestroySeen;
        if (msg == kThrow) throw std::runtime_error("handler failed");
        if (msg != kPing && msg != kNested) return CHookWnd::WindowProc(msg, w, l);
        g_log.push_back(name_ + ":" + std::to_string(msg - WM_APP) + ":" + std::to_string(w));
        if (nestBeforeDefault && msg == kPing) {
            GetHookedWnd().SendMessage(kNested, 7);
            return Default();
        }
        if (useDefault && !add_) return Default();
        return CHookWnd::WindowProc(msg, w + add_, l);
    }

private:
    std::string name_;
    WPARAM add_;
};

using Log = std::vector<std::string>;

TEST(HookWnd, LinksSeeMessagesLatestFirstAndPassChangedParametersOn) {
    PlainWindow win;
    WNDPROC own = win.Proc();
    LoggingLink a("a"), b("b", 10), c("c");
    ASSERT_TRUE(a.HookWindow(win.hwnd));
    WNDPROC hooked = win.Proc();
    EXPECT_NE(hooked, own);
    ASSERT_TRUE(b.HookWindow(win.hwnd));
    ASSERT_TRUE(c.HookWindow(win.hwnd));
    // Only the first link replaced the procedure.
    EXPECT_EQ(win.Proc(), hooked);
    EXPECT_EQ(GetPropA(win.hwnd, "HookWnd_P"), static_cast<HANDLE>(&c));

    // b adds 10 on the way down and a passes on what it received.
    a.useDefault = false;
    EXPECT_EQ(SendMessageA(win.hwnd, kPing, 1, 0), 1011);
    EXPECT_EQ(g_log, (Log{"c:1:1", "b:1:1", "a:1:11", "own:1:11"}));

    // Default() passes the message as the window received it.
    a.useDefault = true;
    g_log.clear();
    EXPECT_EQ(SendMessageA(win.hwnd, kPing, 1, 0), 1001);
    EXPECT_EQ(g_log, (Log{"c:1:1", "b:1:1", "a:1:11", "own:1:1"}));
}

TEST(HookWnd, UnhookingMiddleFirstAndLastLinksKeepsTheRestAndRestoresTheProcedure) {
    PlainWindow win;
    WNDPROC own = win.Proc();
    LoggingLink a("a"), b("b"), c("c");
    a.HookWindow(win.hwnd);
    b.HookWindow(win.hwnd);
    c.HookWindow(win.hwnd);

    b.UnhookWindow();
    EXPECT_FALSE(b.IsHooked());
    SendMessageA(win.hwnd, kPing, 2, 0);
    EXPECT_EQ(g_log, (Log{"c:1:2", "a:1:2", "own:1:2"}));

    g_log.clear();
    c.UnhookWindow();  // the first link hands the chain on
    EXPECT_EQ(GetPropA(win.hwnd, "HookWnd_P"), static_cast<HANDLE>(&a));
    SendMessageA(win.hwnd, kPing, 3, 0);
    EXPECT_EQ(g_log, (Log{"a:1:3", "own:1:3"}));

    a.UnhookWindow();
    EXPECT_EQ(win.Proc(), own);
    EXPECT_EQ(GetPropA(win.hwnd, "HookWnd_P"), nullptr);
    g_log.clear();
    SendMessageA(win.hwnd, kPing, 4, 0);
    EXPECT_EQ(g_log, (Log{"own:1:4"}));

    // An unhooked link can hook again and install the procedure afresh.
    ASSERT_TRUE(b.HookWindow(win.hwnd));
    EXPECT_NE(win.Proc(), own);
    g_log.clear();
    SendMessageA(win.hwnd, kPing, 5, 0);
    EXPECT_EQ(g_log, (Log{"b:1:5", "own:1:5"}));
}

TEST(HookWnd, DestroyingTheWindowUnhooksEveryLinkBeforeItsOwnNcDestroy) {
    PlainWindow win;
    WNDPROC own = win.Proc();
    LoggingLink a("a"), b("b"), c("c");
    a.HookWindow(win.hwnd);
    b.HookWindow(win.hwnd);
    c.HookWindow(win.hwnd);
    DestroyWindow(win.hwnd);

    EXPECT_EQ(a.destroySeen + b.destroySeen + c.destroySeen, 3);
    EXPECT_EQ(a.ncDestroySeen + b.ncDestroySeen + c.ncDestroySeen, 0);
    EXPECT_TRUE(g_ncDestroySeen);
    EXPECT_TRUE(g_chainGoneAtNcDestroy);
    EXPECT_EQ(g_procAtNcDestroy, own);
    EXPECT_FALSE(a.IsHooked());
    EXPECT_FALSE(b.IsHooked());
    EXPECT_FALSE(c.IsHooked());
}

TEST(HookWnd, DefaultPassesTheOriginalMessageAfterANestedOne) {
    PlainWindow win;
    LoggingLink a("a"), b("b");
    a.HookWindow(win.hwnd);
    b.HookWindow(win.hwnd);
    b.nestBeforeDefault = true;
    EXPECT_EQ(SendMessageA(win.hwnd, kPing, 1, 0), 1001);
    EXPECT_EQ(g_log, (Log{"b:1:1", "b:2:7", "a:2:7", "own:2:7", "a:1:1", "own:1:1"}));
}

TEST(HookWnd, ExceptionsStopAtTheSubclassProcedureAndLinksLeaveWhenDestroyed) {
    PlainWindow win;
    WNDPROC own = win.Proc();
    {
        LoggingLink a("a");
        a.HookWindow(win.hwnd);
        {
            LoggingLink b("b");
            b.HookWindow(win.hwnd);
            EXPECT_EQ(SendMessageA(win.hwnd, kThrow, 0, 0), 0);
        }
        // b is gone and out of the chain; a still works.
        SendMessageA(win.hwnd, kPing, 1, 0);
        EXPECT_EQ(g_log, (Log{"a:1:1", "own:1:1"}));
    }
    EXPECT_EQ(win.Proc(), own);
}

TEST(HookWnd, RefusesWindowsItCannotSubclass) {
    LoggingLink a("a");
    EXPECT_FALSE(a.HookWindow(nullptr));
    EXPECT_FALSE(a.HookWindow(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF0))));
    // The desktop window belongs to another process.
    EXPECT_FALSE(a.HookWindow(GetDesktopWindow()));
    EXPECT_FALSE(a.IsHooked());
}

TEST(HookWnd, ChainsChangedFromSeveralThreadsAtOnceStayWhole) {
    PlainWindow win;
    WNDPROC own = win.Proc();
    const int kThreads = 4;
    std::vector<std::unique_ptr<LoggingLink>> kept;
    for (int i = 0; i < kThreads; ++i)
        kept.push_back(std::make_unique<LoggingLink>("k" + std::to_string(i)));
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            LoggingLink churn("churn");
            for (int n = 0; n < 300; ++n) {
                churn.HookWindow(win.hwnd);
                churn.UnhookWindow();
            }
            kept[static_cast<size_t>(i)]->HookWindow(win.hwnd);
        });
    }
    for (auto& t : threads) t.join();

    // Every kept link is in the chain exactly once, and nothing else is.
    SendMessageA(win.hwnd, kPing, 1, 0);
    ASSERT_EQ(g_log.size(), static_cast<size_t>(kThreads + 1));
    std::vector<std::string> names(g_log.begin(), g_log.end() - 1);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (Log{"k0:1:1", "k1:1:1", "k2:1:1", "k3:1:1"}));
    EXPECT_EQ(g_log.back(), "own:1:1");
    for (auto& link : kept) link->UnhookWindow();
    EXPECT_EQ(win.Proc(), own);
}

// ---- together with the framework's own subclassing -------------------------

class RecordingFrame : public CFrameWnd {
public:
    RecordingFrame() {
        Table().OnMessage(kPing, [](WPARAM w, LPARAM) {
            g_log.push_back("frame:1:" + std::to_string(w));
            return static_cast<LRESULT>(2000 + w);
        });
        Table().OnMessage(WM_DESTROY, [this](WPARAM, LPARAM) {
            ++destroySeen;
            return Default();
        });
    }
    bool Create() {
        RegisterClass("VtHookTestFrame");
        return CreateEx(0, "VtHookTestFrame", "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr);
    }
    int destroySeen = 0;
    bool ncDestroyed = false;

protected:
    void PostNcDestroy() override { ncDestroyed = true; }
};

// The framework's procedure on a window of a class with its own procedure.
class RecordingImpl : public CWindowImpl {
public:
    RecordingImpl() {
        Table().OnMessage(kPing, [this](WPARAM w, LPARAM) {
            g_log.push_back("impl:1:" + std::to_string(w));
            return Default();
        });
    }
};

TEST(HookWndWithFramework, HookOnAFrameWindowSeesMessagesFirstAndLeavesInEitherWay) {
    g_log.clear();
    RecordingFrame frame;
    ASSERT_TRUE(frame.Create());
    HWND hwnd = frame.GetSafeHwnd();
    auto frameProc = GetWindowLongPtrA(hwnd, GWLP_WNDPROC);
    {
        LoggingLink a("a");
        ASSERT_TRUE(a.HookWindow(hwnd));
        EXPECT_EQ(SendMessageA(hwnd, kPing, 1, 0), 2001);
        EXPECT_EQ(g_log, (Log{"a:1:1", "frame:1:1"}));
    }
    // The link left first: the frame has its procedure back.
    EXPECT_EQ(GetWindowLongPtrA(hwnd, GWLP_WNDPROC), frameProc);
    g_log.clear();
    EXPECT_EQ(SendMessageA(hwnd, kPing, 2, 0), 2002);
    EXPECT_EQ(g_log, (Log{"frame:1:2"}));

    // The window goes first: both see its destruction, the link leaves.
    LoggingLink b("b");
    ASSERT_TRUE(b.HookWindow(hwnd));
    ASSERT_TRUE(frame.DestroyWindow());
    EXPECT_EQ(b.destroySeen, 1);
    EXPECT_EQ(frame.destroySeen, 1);
    EXPECT_TRUE(frame.ncDestroyed);
    EXPECT_FALSE(b.IsHooked());
    EXPECT_EQ(frame.GetSafeHwnd(), nullptr);
}

TEST(HookWndWithFramework, FrameObjectDestroyedFirstTakesItsWindowAndUnhooksTheLink) {
    g_log.clear();
    LoggingLink a("a");
    HWND hwnd = nullptr;
    {
        RecordingFrame frame;
        ASSERT_TRUE(frame.Create());
        hwnd = frame.GetSafeHwnd();
        a.HookWindow(hwnd);
    }
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(a.destroySeen, 1);
    EXPECT_FALSE(a.IsHooked());
}

TEST(HookWndWithFramework, FrameworkSubclassingOnTopOfTheChainInEitherOrder) {
    PlainWindow win;
    WNDPROC own = win.Proc();
    LoggingLink a("a");
    ASSERT_TRUE(a.HookWindow(win.hwnd));
    RecordingImpl impl;
    ASSERT_TRUE(impl.SubclassWindow(win.hwnd));
    EXPECT_EQ(SendMessageA(win.hwnd, kPing, 1, 0), 1001);
    EXPECT_EQ(g_log, (Log{"impl:1:1", "a:1:1", "own:1:1"}));

    // The chain empties while the framework still sits above it: the
    // framework and the window's own procedure keep their messages.
    a.UnhookWindow();
    g_log.clear();
    EXPECT_EQ(SendMessageA(win.hwnd, kPing, 2, 0), 1002);
    EXPECT_EQ(g_log, (Log{"impl:1:2", "own:1:2"}));

    // A new link joins the chain that is still in place.
    LoggingLink b("b");
    ASSERT_TRUE(b.HookWindow(win.hwnd));
    g_log.clear();
    SendMessageA(win.hwnd, kPing, 3, 0);
    EXPECT_EQ(g_log, (Log{"impl:1:3", "b:1:3", "own:1:3"}));
    b.UnhookWindow();

    // Once the framework leaves, the window gets its own procedure back.
    impl.UnsubclassWindow();
    g_log.clear();
    SendMessageA(win.hwnd, kPing, 4, 0);
    EXPECT_EQ(g_log, (Log{"own:1:4"}));
    EXPECT_EQ(win.Proc(), own);
}

TEST(HookWndWithFramework, DestroyingAWindowWithFrameworkOverTheChainUnwindsBoth) {
    PlainWindow win;
    LoggingLink a("a");
    a.HookWindow(win.hwnd);
    RecordingImpl impl;
    impl.SubclassWindow(win.hwnd);
    DestroyWindow(win.hwnd);
    EXPECT_EQ(a.destroySeen, 1);
    EXPECT_FALSE(a.IsHooked());
    EXPECT_TRUE(g_ncDestroySeen);
    EXPECT_TRUE(g_chainGoneAtNcDestroy);
    EXPECT_EQ(impl.GetSafeHwnd(), nullptr);
}

// ---- leaving the chain while handling a message, and the window's end ------

// A link that takes itself out of the chain on kPing and then passes the
// message on, with Default() or with the base WindowProc.
class LeavingLink : public CHookWnd {
public:
    explicit LeavingLink(std::string name) : name_(std::move(name)) {}
    bool viaDefault = true;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        if (msg != kPing) return CHookWnd::WindowProc(msg, w, l);
        g_log.push_back(name_ + ":leaves");
        UnhookWindow();
        return viaDefault ? Default() : CHookWnd::WindowProc(msg, w, l);
    }

private:
    std::string name_;
};

TEST(HookWnd, ALinkThatLeavesWhileHandlingStillPassesTheMessageOnBelowIt) {
    PlainWindow win;
    WNDPROC own = win.Proc();
    for (bool viaDefault : {true, false}) {
        SCOPED_TRACE(viaDefault ? "Default" : "WindowProc");
        // The only link: the window's procedure is already given back when
        // the message goes on, and still gets it.
        LeavingLink only("only");
        only.viaDefault = viaDefault;
        ASSERT_TRUE(only.HookWindow(win.hwnd));
        g_log.clear();
        EXPECT_EQ(SendMessageA(win.hwnd, kPing, 3, 0), 1003);
        EXPECT_EQ(g_log, (Log{"only:leaves", "own:1:3"}));
        EXPECT_EQ(win.Proc(), own);

        // A link in the middle: the link below it still gets the message.
        LoggingLink below("below"), above("above");
        LeavingLink middle("middle");
        middle.viaDefault = viaDefault;
        below.HookWindow(win.hwnd);
        middle.HookWindow(win.hwnd);
        above.HookWindow(win.hwnd);
        g_log.clear();
        EXPECT_EQ(SendMessageA(win.hwnd, kPing, 4, 0), 1004);
        EXPECT_EQ(g_log, (Log{"above:1:4", "middle:leaves", "below:1:4", "own:1:4"}));
        g_log.clear();
        SendMessageA(win.hwnd, kPing, 5, 0);
        EXPECT_EQ(g_log, (Log{"above:1:5", "below:1:5", "own:1:5"}));
        above.UnhookWindow();
        below.UnhookWindow();
        EXPECT_EQ(win.Proc(), own);
    }
}

// Records when it hears of the window's end, and what the window's own
// procedure had seen by then.
std::vector<std::string> g_ends;
class EndLink : public LoggingLink {
public:
    explicit EndLink(std::string name, bool deleteSelf = false)
        : LoggingLink(name), name_(std::move(name)), deleteSelf_(deleteSelf) {}
    void OnNcDestroy(HWND window) override {
        g_ends.push_back(name_ + (g_ncDestroySeen ? ":after" : ":before") +
                         (IsHooked() ? ":hooked" : ":out") + (IsWindow(window) ? "" : ":gone"));
        if (deleteSelf_) delete this;
    }

private:
    std::string name_;
    bool deleteSelf_;
};

TEST(HookWnd, EveryLinkHearsOfTheEndAfterTheWindowsOwnNcDestroyAndMayDeleteItself) {
    PlainWindow win;
    g_ends.clear();
    EndLink a("a");
    auto* b = new EndLink("b", true);
    EndLink c("c");
    a.HookWindow(win.hwnd);
    b->HookWindow(win.hwnd);
    c.HookWindow(win.hwnd);
    DestroyWindow(win.hwnd);
    // First link first; all of them out of the chain, the window still a
    // window while its destruction ends. b deleted itself on the way.
    EXPECT_EQ(g_ends, (Log{"c:after:out", "b:after:out", "a:after:out"}));
    EXPECT_EQ(a.ncDestroySeen + c.ncDestroySeen, 0);
}

// The window's own end deletes a link before it could be told: that link
// is passed over.
EndLink* g_deletedByOwner = nullptr;
LRESULT CALLBACK DeletingProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCDESTROY) {
        g_ncDestroySeen = true;
        delete g_deletedByOwner;
        g_deletedByOwner = nullptr;
    }
    return DefWindowProcA(w, msg, wp, lp);
}

TEST(HookWnd, ALinkDeletedByTheWindowsOwnEndIsNotTold) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DeletingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VtHookDeletingWnd";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "VtHookDeletingWnd", "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(hwnd, nullptr);
    g_ncDestroySeen = false;
    g_ends.clear();
    EndLink kept("kept");
    g_deletedByOwner = new EndLink("owned");
    kept.HookWindow(hwnd);
    g_deletedByOwner->HookWindow(hwnd);
    DestroyWindow(hwnd);
    EXPECT_TRUE(g_ncDestroySeen);
    EXPECT_EQ(g_ends, (Log{"kept:after:out"}));
}

}  // namespace
