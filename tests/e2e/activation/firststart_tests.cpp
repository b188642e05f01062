// The keyboard shortcut on systems whose shell holds most Windows-key
// combinations (Windows 10 and 11): another program (a fixture) holds them
// before Vantrel starts. A first start finds a combination that works and
// tells it without a message box; a stored combination that another program
// holds is told once, not at every start.
#include <gtest/gtest.h>

#include "framework/registry.h"
#include "model/shortcut.h"
#include "support/session.h"

using namespace e2e;
namespace test = vt::test;

namespace {

const char* kAcceleratorMessage = "Vantrel failed to initialize the global keyboard accelerator.";
const char* kProgramKey = "Software\\Quorvane.\\Vantrel";
const WORD kAlt = 4, kCtrl = 2;  // stored modifier bits

// Another program holding combinations until it goes.
class Holder {
public:
    explicit Holder(const std::vector<vt::Shortcut>& keys) {
        std::string args;
        char part[32];
        for (const auto& k : keys) {
            wsprintfA(part, "%x:%x ", k.modifiers, k.vk);
            args += part;
        }
        if (!process_.Start(test::BinPath("hotkey_holder.exe"), args, test::BinDir())) {
            startError_ = GetLastError();
            return;
        }
        started_ = true;
        for (const auto& k : keys)
            if (!test::WaitUntil([&] { return !test::HotKeyIsFree(k.modifiers, k.vk); })) {
                missing_ = vt::DescribeShortcut(k);
                return;
            }
    }
    ~Holder() { process_.Terminate(); }
    // Says why not, so that a failure tells a start that failed from a
    // combination the holder could not take.
    ::testing::AssertionResult Holding() const {
        if (!started_)
            return ::testing::AssertionFailure()
                   << "hotkey_holder.exe could not be started (error " << startError_ << ")";
        if (!missing_.empty())
            return ::testing::AssertionFailure()
                   << "hotkey_holder.exe (pid " << process_.Pid() << ", "
                   << (process_.Running() ? "running" : "ended") << ") did not hold " << missing_
                   << " within the wait";
        return ::testing::AssertionSuccess();
    }

private:
    test::ChildProcess process_;
    bool started_ = false;
    DWORD startError_ = 0;
    std::string missing_;  // the first combination not held, empty when all are
};

DWORD StoredDword(const char* name) {
    vt::CRegKey key;
    key.Open(HKEY_CURRENT_USER, kProgramKey, KEY_READ);
    return key.QueryDword(name, 0xFFFFFFFF);
}

// The profile as a first start finds it: never run before, no shortcut
// stored (the defaults: the Windows key + A).
void MarkNeverRun() {
    vt::CRegKey key;
    if (!key.Open(HKEY_CURRENT_USER, kProgramKey, KEY_SET_VALUE)) return;
    for (const char* name : {"Already Run", "Shortcut Type", "Windows Key",
                             "Normal Hot Key Virtual Key", "Normal Hot Key Modifier"})
        key.DeleteValue(name);
}

class FirstStart : public ::testing::Test {
protected:
    void SetUp() override {
        run_.folders[0] = {"C:\\windows", "Windows", "", -1};
        run_.editProfile = MarkNeverRun;
        run_.settings.showTray = true;
        ASSERT_TRUE(front_.Start(test::BinPath("instance_front_window.exe")));
        frontWindow_ = test::WaitForTopWindow(front_.Pid());
        ASSERT_NE(frontWindow_, nullptr);
    }

    // Starts the first run and expects the combination stored and working:
    // pressed, it pops the menu, and no message box stands in the way.
    void ExpectFirstStartChooses(const vt::Shortcut& expected, const std::vector<WORD>& keys) {
        ASSERT_TRUE(run_.Start());
        EXPECT_EQ(StoredDword("Shortcut Type"), 2u);
        EXPECT_EQ(StoredDword("Normal Hot Key Virtual Key"), expected.vk);
        const vt::Shortcut stored{vt::HotKeyModifiersFromControl(
                                      static_cast<WORD>(StoredDword("Normal Hot Key Modifier"))),
                                  static_cast<UINT>(StoredDword("Normal Hot Key Virtual Key"))};
        EXPECT_EQ(stored, expected) << vt::DescribeShortcut(stored);
        EXPECT_EQ(StoredDword("Already Run"), 1u);
        ASSERT_TRUE(BringToFront(frontWindow_));
        // The notice was queued before any key press: once the menu shows,
        // it has been given, and it was not a message box (which would have
        // kept the menu from popping).
        ASSERT_NE(PressChordForMenu(run_, keys, static_cast<WORD>(expected.vk)), nullptr);
        EXPECT_TRUE(run_.MessageBoxes("").empty());
        PressKey(VK_ESCAPE);
        ASSERT_TRUE(run_.WaitForMenuGone());
    }

    VantrelRun run_;
    test::ChildProcess front_;
    HWND frontWindow_ = nullptr;
};

TEST_F(FirstStart, WindowsATakenGivesWindowsShiftA) {
    Holder shell({{MOD_WIN, 'A'}});
    ASSERT_TRUE(shell.Holding());
    ExpectFirstStartChooses({MOD_WIN | MOD_SHIFT, 'A'}, {VK_LWIN, VK_SHIFT});
}

TEST_F(FirstStart, WithTheFirstFallbackTakenTooTheNextIsChosen) {
    Holder shell({{MOD_WIN, 'A'}, {MOD_WIN | MOD_SHIFT, 'A'}});
    ASSERT_TRUE(shell.Holding());
    ExpectFirstStartChooses({MOD_WIN | MOD_CONTROL, 'A'}, {VK_LWIN, VK_CONTROL});
}

TEST_F(FirstStart, WithoutATrayIconTheNoticeIsAMessageBoxAfterStartUp) {
    Holder shell({{MOD_WIN, 'A'}});
    ASSERT_TRUE(shell.Holding());
    run_.settings.showTray = false;
    ASSERT_TRUE(run_.Launch());
    // The window is published whether or not the notice was answered.
    ASSERT_TRUE(run_.WaitReady());
    std::vector<HWND> boxes;
    ASSERT_TRUE(test::WaitUntil([&] {
        boxes = run_.MessageBoxes("Windows key + Shift + A");
        return !boxes.empty();
    }));
    EXPECT_NE(test::TextOf(GetDlgItem(boxes[0], 0xFFFF)).find("Setup"), std::string::npos);
    EXPECT_TRUE(run_.MessageBoxes(kAcceleratorMessage).empty());
    PostMessageA(boxes[0], WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(test::WaitUntil([&] { return run_.MessageBoxes("").empty(); }));
}

// ---- A stored combination another program holds ------------------------------

class TakenShortcut : public ::testing::Test {
protected:
    // A start that must tell: the window is published before the message is
    // answered, and the message names the combination.
    void StartExpectingTheMessage(const std::string& combination) {
        ASSERT_TRUE(run_.Launch());
        ASSERT_TRUE(run_.WaitReady());
        std::vector<HWND> boxes;
        ASSERT_TRUE(test::WaitUntil([&] {
            boxes = run_.MessageBoxes(kAcceleratorMessage);
            return !boxes.empty();
        }));
        EXPECT_EQ(boxes.size(), 1u);
        EXPECT_NE(test::TextOf(GetDlgItem(boxes[0], 0xFFFF)).find(combination), std::string::npos);
        PostMessageA(boxes[0], WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(test::WaitUntil([&] { return run_.MessageBoxes("").empty(); }));
    }
    // A start that must not: the round trip of a "/pop" through the queue
    // comes after the notice would have been shown, and the menu pops.
    void StartExpectingNoMessage() {
        ASSERT_TRUE(run_.Start());
        ASSERT_TRUE(run_.Forward("/pop"));
        ASSERT_TRUE(run_.WaitForMenu());
        EXPECT_TRUE(run_.MessageBoxes("").empty());
        PressKey(VK_ESCAPE);
        ASSERT_TRUE(run_.WaitForMenuGone());
    }
    void Quit() {
        ASSERT_TRUE(run_.Forward("/quit"));
        ASSERT_TRUE(run_.Process().WaitForExit(20000));
    }

    VantrelRun run_;
};

TEST_F(TakenShortcut, ToldAtTheFirstStartOnlyAndAgainForAnotherTakenOne) {
    Holder other({{MOD_CONTROL | MOD_ALT, VK_F6}, {MOD_CONTROL | MOD_ALT, VK_F7}});
    ASSERT_TRUE(other.Holding());
    run_.folders[0] = {"C:\\windows", "Windows", "", -1};
    run_.settings.shortcutType = vt::ShortcutType::HotKey;
    run_.settings.normalHotKeyVirtualKey = VK_F6;
    run_.settings.normalHotKeyModifier = kCtrl | kAlt;
    run_.settings.showTray = false;

    StartExpectingTheMessage("Ctrl + Alt + F6");
    Quit();
    StartExpectingNoMessage();
    Quit();
    // Changed to another combination that is taken too: told once more.
    run_.settings.normalHotKeyVirtualKey = VK_F7;
    StartExpectingTheMessage("Ctrl + Alt + F7");
    Quit();
    StartExpectingNoMessage();
}

}  // namespace
