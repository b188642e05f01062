// The dialog watcher on real dialogs: two services on one thread, a
// service letting a dialog go from inside its own handling, and the
// watcher letting go of another thread's dialog while that thread is busy
// with it.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "lookdialog.h"
#include "support/testsupport.h"
#include "uikit/dialoglook/dialogwatcher.h"

using namespace vt;

namespace {

const UINT kPing = WM_APP + 5;
const UINT kLetGo = WM_APP + 6;
const UINT kBusy = WM_APP + 7;

std::vector<std::string> g_log;
std::atomic<int> g_dialogBusy{0};

// The dialog's own procedure: logs what reaches it.
INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM w, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG:
            return TRUE;
        case kPing:
        case kLetGo:
            g_log.push_back("dialog:" + std::to_string(msg - WM_APP) + ":" + std::to_string(w));
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, static_cast<LONG_PTR>(500 + w));
            return TRUE;
        case kBusy:
            ++g_dialogBusy;
            return TRUE;
        default:
            return FALSE;
    }
}

HWND OpenDialog() {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LOOK_FIVE), nullptr,
                              DialogProc, 0);
}

// What one service saw, and its links' lives.
struct Service {
    explicit Service(std::string n) : name(std::move(n)) {}
    std::string name;
    int initDialogs = 0;
    int gone = 0;
    int linksDeleted = 0;
    std::atomic<int> busySeen{0};
    std::unique_ptr<CDialogWatcher> watcher;
};

class ServiceLink : public CDialogWatcher::CFollowed {
public:
    explicit ServiceLink(Service& s) : s_(s) {}
    ~ServiceLink() override { ++s_.linksDeleted; }
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override {
        if (msg == kBusy) ++s_.busySeen;
        if (msg == kPing || msg == kLetGo)
            g_log.push_back(s_.name + ":" + std::to_string(msg - WM_APP) + ":" + std::to_string(w));
        if (msg == kLetGo) s_.watcher->LetGo(Dialog());
        return CHookWnd::WindowProc(msg, w, l);
    }
    void OnGone() override {
        ++s_.gone;
        g_log.push_back(s_.name + ":gone");
    }

private:
    Service& s_;
};

void MakeWatcher(Service& s) {
    s.watcher = std::make_unique<CDialogWatcher>(
        [&s](HWND dialog) {
            ++s.initDialogs;
            s.watcher->Follow(dialog);
        },
        [&s](HWND) { return std::make_unique<ServiceLink>(s); });
}

using Log = std::vector<std::string>;

WNDPROC ProcOf(HWND w) { return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(w, GWLP_WNDPROC)); }

TEST(DialogWatcher, TwoServicesOnOneThreadEachFollowEveryDialogOnceUntilItGoes) {
    Service a("a"), b("b");
    MakeWatcher(a);
    MakeWatcher(b);
    const DWORD self = GetCurrentThreadId();
    ASSERT_TRUE(a.watcher->Install(self));
    ASSERT_TRUE(b.watcher->Install(self));
    ASSERT_TRUE(a.watcher->Install(self));  // a second call changes nothing
    EXPECT_TRUE(a.watcher->IsInstalled(self));

    g_log.clear();
    HWND first = OpenDialog();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(a.initDialogs, 1);
    EXPECT_EQ(b.initDialogs, 1);
    EXPECT_TRUE(a.watcher->IsFollowed(first));
    EXPECT_TRUE(b.watcher->IsFollowed(first));
    // Both links see the message, the later one first, and the dialog's
    // answer comes back through them.
    EXPECT_EQ(SendMessageA(first, kPing, 1, 0), 501);
    EXPECT_EQ(g_log, (Log{"b:5:1", "a:5:1", "dialog:5:1"}));

    // The dialog's end: both services hear of it after the dialog's own
    // last message, and their links go.
    g_log.clear();
    DestroyWindow(first);
    EXPECT_EQ(g_log, (Log{"b:gone", "a:gone"}));
    EXPECT_EQ(a.linksDeleted + b.linksDeleted, 2);
    EXPECT_EQ(a.watcher->Count() + b.watcher->Count(), 0u);

    // A service that leaves the thread hears of no more dialogs; the other
    // still does, and its letting go gives the dialog its procedure back.
    a.watcher->Uninstall(self);
    EXPECT_FALSE(a.watcher->IsInstalled(self));
    HWND second = OpenDialog();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(a.initDialogs, 1);
    EXPECT_EQ(b.initDialogs, 2);
    EXPECT_FALSE(a.watcher->IsFollowed(second));
    ASSERT_TRUE(b.watcher->IsFollowed(second));
    const WNDPROC chained = ProcOf(second);
    b.watcher->LetGo(second);
    EXPECT_NE(ProcOf(second), chained);
    EXPECT_EQ(GetPropA(second, "HookWnd_P"), nullptr);
    g_log.clear();
    EXPECT_EQ(SendMessageA(second, kPing, 2, 0), 502);
    EXPECT_EQ(g_log, (Log{"dialog:5:2"}));
    DestroyWindow(second);

    b.watcher->Uninstall(self);
    HWND third = OpenDialog();
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(b.initDialogs, 2);
    DestroyWindow(third);
}

TEST(DialogWatcher, ALinkLettingItsDialogGoStillDeliversThatMessage) {
    Service s("s");
    MakeWatcher(s);
    ASSERT_TRUE(s.watcher->Install(GetCurrentThreadId()));
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(s.watcher->IsFollowed(dialog));

    g_log.clear();
    EXPECT_EQ(SendMessageA(dialog, kLetGo, 3, 0), 503);
    EXPECT_EQ(g_log, (Log{"s:6:3", "s:gone", "dialog:6:3"}));
    EXPECT_FALSE(s.watcher->IsFollowed(dialog));
    // The link was busy when it was let go: it is kept until then, and is
    // deleted at the next chance, not before.
    EXPECT_EQ(s.linksDeleted, 0);
    g_log.clear();
    SendMessageA(dialog, kPing, 4, 0);
    EXPECT_EQ(g_log, (Log{"dialog:5:4"}));

    HWND next = OpenDialog();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(s.linksDeleted, 1);
    EXPECT_TRUE(s.watcher->IsFollowed(next));
    DestroyWindow(next);
    DestroyWindow(dialog);
    EXPECT_EQ(s.gone, 2);
    EXPECT_EQ(s.linksDeleted, 2);
    s.watcher->Uninstall(GetCurrentThreadId());
}

TEST(DialogWatcher, LettingGoOfAnotherThreadsBusyDialogLeavesItWorking) {
    Service s("s");
    MakeWatcher(s);
    g_dialogBusy = 0;
    std::atomic<HWND> dialog{nullptr};
    std::atomic<bool> stop{false};
    std::atomic<bool> chainGone{false};
    std::atomic<bool> procBack{false};
    std::thread owner([&] {
        s.watcher->Install(GetCurrentThreadId());
        HWND d = OpenDialog();
        const WNDPROC chained = ProcOf(d);
        dialog = d;
        // Busy with the dialog until told to stop, at most 20 s.
        const DWORD start = GetTickCount();
        while (!stop && GetTickCount() - start < 20000) SendMessageA(d, kBusy, 0, 0);
        chainGone = GetPropA(d, "HookWnd_P") == nullptr;
        procBack = ProcOf(d) != chained;
        s.watcher->Uninstall(GetCurrentThreadId());
        DestroyWindow(d);
    });
    ASSERT_TRUE(test::WaitUntil([&] { return s.busySeen > 50; }));

    s.watcher->LetGoAll();
    EXPECT_EQ(s.watcher->Count(), 0u);
    const int seenByLink = s.busySeen;
    const int seenByDialog = g_dialogBusy;
    // The dialog keeps answering; its link gets at most the message it was
    // handling while it was let go.
    EXPECT_TRUE(test::WaitUntil([&] { return g_dialogBusy > seenByDialog + 200; }));
    EXPECT_LE(s.busySeen, seenByLink + 1);
    stop = true;
    owner.join();
    EXPECT_TRUE(chainGone);
    EXPECT_TRUE(procBack);
    // A link that may have been busy is never deleted from another thread,
    // and is not told of the dialog's end.
    EXPECT_EQ(s.linksDeleted, 0);
    EXPECT_EQ(s.gone, 0);
}

}  // namespace
