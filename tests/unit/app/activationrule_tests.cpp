// What each activation gesture does while the menu or a dialog is open, with
// the mouse gestures switched on or off, and which windows in front the
// mouse gestures accept.
#include <gtest/gtest.h>

#include <vector>

#include "app/activationrule.h"

using namespace vt;

namespace {

constexpr ActivationTrigger kAllTriggers[] = {
    ActivationTrigger::HotKey, ActivationTrigger::PopCommand, ActivationTrigger::TrayIcon,
    ActivationTrigger::HookRightButton, ActivationTrigger::HookWheel};

AppSettings MouseGestures(bool rightButton, bool wheel) {
    AppSettings s;
    s.activateOnRButtonDown = rightButton;
    s.activateOnMouseWheel = wheel;
    return s;
}

TEST(ActivationRule, NothingOpenEveryGestureThatIsOnPopsTheMenu) {
    CActivationRule rule;
    const AppSettings on = MouseGestures(true, true);
    for (ActivationTrigger t : kAllTriggers)
        EXPECT_EQ(rule.Decide(t, on), ActivationVerdict::PopMenu) << static_cast<int>(t);
    EXPECT_FALSE(rule.Busy());
}

TEST(ActivationRule, MouseGesturesTheOptionsTurnOffAreIgnoredEvenOverADialog) {
    CActivationRule rule;
    const AppSettings off = MouseGestures(false, false);
    EXPECT_EQ(rule.Decide(ActivationTrigger::HookRightButton, off), ActivationVerdict::Ignore);
    EXPECT_EQ(rule.Decide(ActivationTrigger::HookWheel, off), ActivationVerdict::Ignore);
    EXPECT_EQ(rule.Decide(ActivationTrigger::HotKey, off), ActivationVerdict::PopMenu);
    // Each option governs its own gesture only.
    EXPECT_EQ(rule.Decide(ActivationTrigger::HookWheel, MouseGestures(true, false)),
              ActivationVerdict::Ignore);
    EXPECT_EQ(rule.Decide(ActivationTrigger::HookRightButton, MouseGestures(false, true)),
              ActivationVerdict::Ignore);
    // A gesture that is off does not bring an open dialog forward.
    rule.DialogOpened();
    EXPECT_EQ(rule.Decide(ActivationTrigger::HookRightButton, off), ActivationVerdict::Ignore);
    EXPECT_EQ(rule.Decide(ActivationTrigger::HotKey, off), ActivationVerdict::RaiseDialog);
}

TEST(ActivationRule, TheOpenMenuKeepsItsTargetAndDialogsComeToTheFront) {
    CActivationRule rule;
    const AppSettings on = MouseGestures(true, true);

    rule.MenuOpened();
    EXPECT_TRUE(rule.Busy());
    for (ActivationTrigger t : kAllTriggers)
        EXPECT_EQ(rule.Decide(t, on), ActivationVerdict::Ignore) << static_cast<int>(t);
    rule.MenuClosed();

    // Nested dialogs (a message box over Setup): raised until the last closes.
    rule.DialogOpened();
    rule.DialogOpened();
    for (ActivationTrigger t : kAllTriggers)
        EXPECT_EQ(rule.Decide(t, on), ActivationVerdict::RaiseDialog) << static_cast<int>(t);
    rule.DialogClosed();
    EXPECT_TRUE(rule.DialogOpen());
    EXPECT_EQ(rule.Decide(ActivationTrigger::TrayIcon, on), ActivationVerdict::RaiseDialog);
    rule.DialogClosed();
    EXPECT_FALSE(rule.Busy());
    EXPECT_EQ(rule.Decide(ActivationTrigger::TrayIcon, on), ActivationVerdict::PopMenu);

    // A menu popped over a dialog is still the one that keeps the activation.
    rule.DialogOpened();
    rule.MenuOpened();
    EXPECT_EQ(rule.Decide(ActivationTrigger::HotKey, on), ActivationVerdict::Ignore);
}

// Answers for the window in front, and which kinds were asked.
struct FakeFront {
    std::vector<FrontWindowKind> is;
    std::vector<FrontWindowKind> asked;
    bool operator()(FrontWindowKind k) {
        asked.push_back(k);
        for (FrontWindowKind x : is)
            if (x == k) return true;
        return false;
    }
};

bool Accepts(ActivationTrigger t, FakeFront& front) {
    return CActivationRule::AcceptsFrontWindow(t, [&front](FrontWindowKind k) { return front(k); });
}

TEST(ActivationRule, TheRightButtonTakesFourKindsOfWindowAndTheWheelAllButExplorer) {
    using K = FrontWindowKind;
    for (K kind : {K::Explorer, K::FileDialog, K::BrowseForFolder, K::SnakeList}) {
        FakeFront front{{kind}, {}};
        EXPECT_TRUE(Accepts(ActivationTrigger::HookRightButton, front)) << static_cast<int>(kind);
        FakeFront again{{kind}, {}};
        EXPECT_EQ(Accepts(ActivationTrigger::HookWheel, again), kind != K::Explorer)
            << static_cast<int>(kind);
    }
    FakeFront unknown{{}, {}};
    EXPECT_FALSE(Accepts(ActivationTrigger::HookRightButton, unknown));
    EXPECT_EQ(unknown.asked,
              (std::vector<K>{K::Explorer, K::FileDialog, K::BrowseForFolder, K::SnakeList}));
    FakeFront unknownWheel{{}, {}};
    EXPECT_FALSE(Accepts(ActivationTrigger::HookWheel, unknownWheel));
    EXPECT_EQ(unknownWheel.asked,
              (std::vector<K>{K::FileDialog, K::BrowseForFolder, K::SnakeList}));
}

TEST(ActivationRule, TheFirstKindThatFitsEndsTheQuestionsAndOtherGesturesAskNone) {
    using K = FrontWindowKind;
    FakeFront dialog{{K::FileDialog, K::SnakeList}, {}};
    EXPECT_TRUE(Accepts(ActivationTrigger::HookRightButton, dialog));
    EXPECT_EQ(dialog.asked, (std::vector<K>{K::Explorer, K::FileDialog}));

    for (ActivationTrigger t :
         {ActivationTrigger::HotKey, ActivationTrigger::PopCommand, ActivationTrigger::TrayIcon}) {
        FakeFront none{{}, {}};
        EXPECT_TRUE(Accepts(t, none)) << static_cast<int>(t);
        EXPECT_TRUE(none.asked.empty());
    }
}

}  // namespace
