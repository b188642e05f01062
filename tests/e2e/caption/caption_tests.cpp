// A right-button press on a caption button of a file dialog, made the way a
// mouse makes it: Vantrel.exe with VTHook.dll in one process, Wine's Open
// dialog in another, the press injected into the system. Wine draws captions
// without a window manager only inside a virtual desktop, so the children
// start on one of their own and the test drives them from a thread attached
// to it (window enumeration, the foreground window, the cursor and injected
// input all belong to the calling thread's desktop).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "support/session.h"
#include "support/navtest.h"

using namespace e2e;
namespace test = vt::test;

namespace {

const char kDesktopName[] = "VantrelCaption";
const char kDesktopsKey[] = "Software\\Wine\\Explorer\\Desktops";

// How long a menu that must not come gets to come anyway. The hook posts
// while the dialog retrieves the press and Vantrel answers at once, so a
// menu that would come shows within a fraction of this.
const DWORD kNoMenuWaitMs = 1500;

// A named Wine virtual desktop for the whole test program: the size that
// makes Wine create it virtual is written first and removed at the end, and
// an idle thread stays on it so that it does not close between tests.
class VirtualDesktop {
public:
    VirtualDesktop() {
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &key, &disposition) == ERROR_SUCCESS) {
            createdKey_ = disposition == REG_CREATED_NEW_KEY;
            static const char size[] = "1024x768";
            RegSetValueExA(key, kDesktopName, 0, REG_SZ, reinterpret_cast<const BYTE*>(size),
                           sizeof size);
            RegCloseKey(key);
        }
        desktop_ = CreateDesktopA(kDesktopName, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        stop_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        keeper_ = std::thread([this, ready] {
            if (desktop_ && SetThreadDesktop(desktop_)) {
                // The first GetDesktopWindow on the desktop starts the Wine
                // process that owns it; that process ends once nobody uses it.
                DWORD pid = 0;
                GetWindowThreadProcessId(GetDesktopWindow(), &pid);
                manager_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
            }
            SetEvent(ready);
            WaitForSingleObject(stop_, INFINITE);
        });
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(ready);
    }

    ~VirtualDesktop() {
        SetEvent(stop_);
        keeper_.join();
        CloseHandle(stop_);
        if (desktop_) CloseDesktop(desktop_);
        if (manager_) {
            // Nobody of ours is left on the desktop, so its window's process
            // closes it. Wine may have started helpers of its own there,
            // which keep it open: the process is then ended, so that no
            // desktop outlives the test program.
            if (WaitForSingleObject(manager_, 5000) != WAIT_OBJECT_0) {
                TerminateProcess(manager_, 0);
                WaitForSingleObject(manager_, 5000);
            }
            CloseHandle(manager_);
        }
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopsKey, 0, KEY_ALL_ACCESS, &key) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(key, kDesktopName);
            RegCloseKey(key);
        }
        if (createdKey_) RegDeleteKeyA(HKEY_CURRENT_USER, kDesktopsKey);
    }

    bool Ready() const { return manager_ != nullptr; }

    // Runs body on a fresh thread attached to the desktop (a thread may
    // switch desktops only before it owns a window or a hook).
    void Run(const std::function<void()>& body) {
        std::thread t([&] {
            if (!SetThreadDesktop(desktop_)) {
                ADD_FAILURE() << "SetThreadDesktop failed: " << GetLastError();
                return;
            }
            body();
        });
        t.join();
    }

private:
    HDESK desktop_ = nullptr;
    HANDLE stop_ = nullptr;
    HANDLE manager_ = nullptr;
    bool createdKey_ = false;
    std::thread keeper_;
};

LRESULT HitTest(HWND w, POINT p) { return SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)); }

// The middle of the close button, from the frame the window really has (the
// client area's offset inside the window rect) and the caption button size.
POINT CloseButtonOf(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    POINT client = {0, 0};
    ClientToScreen(w, &client);
    const int frame = client.x - r.left;
    return {r.right - frame - GetSystemMetrics(SM_CXSIZE) / 2,
            client.y - GetSystemMetrics(SM_CYCAPTION) / 2};
}

// A point of the dialog's own client area, not covered by a control: a press
// there reaches the dialog as WM_RBUTTONDOWN and opens no context menu.
bool BareClientPoint(HWND w, POINT* out) {
    RECT c;
    GetClientRect(w, &c);
    for (int y = c.bottom / 2; y < c.bottom - 2; y += 3) {
        for (int x = 2; x < c.right - 2; x += 3) {
            POINT p = {x, y};
            ClientToScreen(w, &p);
            if (WindowFromPoint(p) == w && HitTest(w, p) == HTCLIENT) {
                *out = p;
                return true;
            }
        }
    }
    return false;
}

// Makes the desktop's own process handle what X has sent it so far: it does
// so each time it waits for messages, and it waits again after answering.
void SyncDesktopOwner() {
    for (int i = 0; i < 2; ++i)
        SendMessageTimeoutA(GetDesktopWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, nullptr);
}

// Puts the pointer at p for good. Wine warps the X pointer inside a pointer
// grab, and the grab makes X tell the desktop's process that the pointer
// entered the desktop at its old position; handled late, that event drags
// Wine's cursor back there (seen as a press landing where the previous one
// did). Once it is handled, a second move starts from p and leaves nothing
// stale behind.
void PlacePointer(POINT p) {
    MoveMouse(p);
    SyncDesktopOwner();
    MoveMouse(p);
    SyncDesktopOwner();
    POINT now = {};
    GetCursorPos(&now);
    ASSERT_TRUE(now.x == p.x && now.y == p.y)
        << "pointer at " << now.x << "," << now.y << ", wanted " << p.x << "," << p.y;
}

class Caption : public ::testing::Test {
protected:
    static void SetUpTestSuite() { desktop_ = new VirtualDesktop; }
    static void TearDownTestSuite() {
        delete desktop_;
        desktop_ = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(desktop_->Ready()) << "no virtual desktop";
        alpha_ = dir_.MakeDir("Alpha");
        beta_ = dir_.MakeDir("Beta");
    }

    void TearDown() override {
        // A failed step may leave the button down; nothing else releases it.
        if (buttonDown_) desktop_->Run([] { RightButtonUp(); });
    }

    // Starts Vantrel on the desktop with the two folders.
    void StartVantrel(VantrelRun& run) {
        run.desktop = kDesktopName;
        run.folders[0] = {alpha_, "Alpha", "", -1};
        run.folders[1] = {beta_, "Beta", "", -1};
        ASSERT_TRUE(run.Start());
    }

    // The Open dialog on the desktop, in front, with its close button
    // confirmed where the press goes.
    void OpenDialogInFront() {
        ASSERT_TRUE(dialog_.Start("open-explorer", "C:\\windows", "#32770", kDesktopName));
        ASSERT_TRUE(BringToFront(dialog_.Window())) << Describe(GetForegroundWindow());
        closeButton_ = CloseButtonOf(dialog_.Window());
        ASSERT_EQ(HitTest(dialog_.Window(), closeButton_), HTCLOSE)
            << "at " << closeButton_.x << "," << closeButton_.y;
    }

    void PressRight(POINT at) {
        // A second press near the first within the double-click time arrives
        // as WM_NCRBUTTONDBLCLK, which is not the gesture.
        ASSERT_TRUE(
            test::WaitUntil([&] { return GetTickCount() - lastPress_ > GetDoubleClickTime(); },
                            GetDoubleClickTime() + 1000));
        ASSERT_NO_FATAL_FAILURE(PlacePointer(at));
        RightButtonDown();
        lastPress_ = GetTickCount();
        buttonDown_ = true;
    }
    void ReleaseRight() {
        RightButtonUp();
        buttonDown_ = false;
    }

    // What a press met, for a failure message.
    std::string Scene() {
        POINT cursor = {};
        GetCursorPos(&cursor);
        return "foreground " + Describe(GetForegroundWindow()) + ", cursor at " +
               std::to_string(cursor.x) + "," + std::to_string(cursor.y) + " over " +
               Describe(WindowFromPoint(cursor)) + ", dialog " +
               (dialog_.Process().Running() ? "running" : "ended");
    }

    // Press on the close button, the menu comes; release; it stays.
    void PressCloseButtonForMenu(const VantrelRun& run) {
        ASSERT_NO_FATAL_FAILURE(PressRight(closeButton_));
        ASSERT_TRUE(run.WaitForMenu(5000))
            << "no menu after the press on the close button; " << Scene();
        ReleaseRight();
    }

    // The control of a "no menu" case: the same input on the close button is
    // delivered and answered. Escape closes the menu again.
    void ExpectMenuFromCloseButtonThenEscape(const VantrelRun& run) {
        ASSERT_NO_FATAL_FAILURE(PressCloseButtonForMenu(run));
        PressKey(VK_ESCAPE);
        ASSERT_TRUE(run.WaitForMenuGone());
        ASSERT_TRUE(BringToFront(dialog_.Window())) << Describe(GetForegroundWindow());
    }

    // A press at that point brings no folder menu within the bounded wait.
    void ExpectNoMenuFromPress(const VantrelRun& run, POINT at, const char* what) {
        ASSERT_NO_FATAL_FAILURE(PressRight(at));
        EXPECT_FALSE(run.WaitForMenu(kNoMenuWaitMs)) << "a menu came after the press on " << what;
        ReleaseRight();
    }

    static VirtualDesktop* desktop_;
    test::ScratchDir dir_{"caption"};
    std::string alpha_, beta_;
    navtest::Fixture dialog_;
    POINT closeButton_ = {};
    DWORD lastPress_ = GetTickCount() - GetDoubleClickTime() - 1;
    bool buttonDown_ = false;
};

VirtualDesktop* Caption::desktop_ = nullptr;

TEST_F(Caption, RightPressOnCloseButtonPopsMenuAndKeysNavigateTheDialog) {
    desktop_->Run([&] {
        VantrelRun run;
        ASSERT_NO_FATAL_FAILURE(StartVantrel(run));
        ASSERT_NO_FATAL_FAILURE(OpenDialogInFront());

        // The menu opens at the pointer: the release lands on its corner and
        // picks nothing, so the keys below find it still open.
        ASSERT_NO_FATAL_FAILURE(PressCloseButtonForMenu(run));
        PickSecondItemAndExpectDialogIn(run, dialog_.Window(), beta_);
        // The press on the close button did not close the dialog.
        EXPECT_TRUE(dialog_.Process().Running());
    });
}

TEST_F(Caption, RightPressesOffTheCaptionButtonsPopNoMenu) {
    desktop_->Run([&] {
        VantrelRun run;
        ASSERT_NO_FATAL_FAILURE(StartVantrel(run));
        ASSERT_NO_FATAL_FAILURE(OpenDialogInFront());
        POINT bare;
        ASSERT_TRUE(BareClientPoint(dialog_.Window(), &bare));
        RECT r;
        GetWindowRect(dialog_.Window(), &r);
        const POINT title = {(r.left + r.right) / 2, closeButton_.y};
        ASSERT_EQ(HitTest(dialog_.Window(), title), HTCAPTION);

        // Delivered and answered on the close button, so the silence below
        // belongs to the places pressed.
        ASSERT_NO_FATAL_FAILURE(ExpectMenuFromCloseButtonThenEscape(run));
        ExpectNoMenuFromPress(run, bare, "the client area");
        // The title bar is non-client too, but no caption button. Last: the
        // release there may open the dialog's own window menu.
        ExpectNoMenuFromPress(run, title, "the title");
    });
}

TEST_F(Caption, RightPressOnCloseButtonWithTheSettingOffPopsNoMenu) {
    desktop_->Run([&] {
        ASSERT_NO_FATAL_FAILURE(OpenDialogInFront());
        {
            // The control, with the setting on: the press is delivered.
            VantrelRun on;
            ASSERT_NO_FATAL_FAILURE(StartVantrel(on));
            ASSERT_NO_FATAL_FAILURE(ExpectMenuFromCloseButtonThenEscape(on));
        }
        VantrelRun off;
        off.settings.activateOnRButtonDown = false;
        ASSERT_NO_FATAL_FAILURE(StartVantrel(off));
        ASSERT_TRUE(BringToFront(dialog_.Window()));
        ExpectNoMenuFromPress(off, closeButton_, "the close button");
    });
}

}  // namespace
