// Which dialog "Auto Switch" moves, and where: only a file dialog that comes
// to the front straight from an Explorer window on a folder, once per dialog,
// and a dialog that is gone is forgotten.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "app/autoswitch.h"

using namespace vt;

namespace {

HWND H(uintptr_t v) { return reinterpret_cast<HWND>(v); }

const HWND kExplorer = H(0x100);
const HWND kVirtualExplorer = H(0x110);  // This PC: no folder of the file system
const HWND kOtherExplorer = H(0x120);
const HWND kDialog = H(0x200);
const HWND kSecondDialog = H(0x210);
const HWND kEditor = H(0x300);

class Follower : public ::testing::Test {
protected:
    CForegroundFollower Make() {
        CForegroundFollower::World w;
        w.isFileDialog = [this](HWND h) { return dialogs_.count(h) != 0; };
        w.explorerFolder = [this](HWND h) {
            auto it = folders_.find(h);
            return it == folders_.end() ? std::string() : it->second;
        };
        w.exists = [this](HWND h) { return gone_.count(h) == 0; };
        return CForegroundFollower(std::move(w));
    }
    std::set<HWND> dialogs_{kDialog, kSecondDialog};
    std::map<HWND, std::string> folders_{
        {kExplorer, "C:\\Work"}, {kVirtualExplorer, ""}, {kOtherExplorer, "D:\\Other"}};
    std::set<HWND> gone_;
};

TEST_F(Follower, TheDialogFollowsOnceAndThenStaysWhereTheUserPutsIt) {
    CForegroundFollower f = Make();
    EXPECT_FALSE(f.ForegroundChanged(kExplorer).dialog);
    const CForegroundFollower::Move m = f.ForegroundChanged(kDialog);
    EXPECT_EQ(m.dialog, kDialog);
    EXPECT_EQ(m.folder, "C:\\Work");
    // To another Explorer window and back: the user is in charge now.
    EXPECT_FALSE(f.ForegroundChanged(kOtherExplorer).dialog);
    EXPECT_FALSE(f.ForegroundChanged(kDialog).dialog);
    // Another dialog has its own first time.
    EXPECT_FALSE(f.ForegroundChanged(kOtherExplorer).dialog);
    const CForegroundFollower::Move second = f.ForegroundChanged(kSecondDialog);
    EXPECT_EQ(second.dialog, kSecondDialog);
    EXPECT_EQ(second.folder, "D:\\Other");
}

TEST_F(Follower, OnlyStraightFromExplorerOnAFolder) {
    CForegroundFollower f = Make();
    EXPECT_FALSE(f.ForegroundChanged(kDialog).dialog);  // nothing was in front before
    EXPECT_FALSE(f.ForegroundChanged(kEditor).dialog);
    EXPECT_FALSE(f.ForegroundChanged(kDialog).dialog) << "came from an editor";
    EXPECT_FALSE(f.ForegroundChanged(kVirtualExplorer).dialog);
    EXPECT_FALSE(f.ForegroundChanged(kDialog).dialog) << "came from This PC";
    EXPECT_FALSE(f.ForegroundChanged(kExplorer).dialog);
    EXPECT_FALSE(f.ForegroundChanged(kEditor).dialog) << "not a file dialog";
    // An unmoved dialog still gets its first move later.
    EXPECT_FALSE(f.ForegroundChanged(kExplorer).dialog);
    EXPECT_EQ(f.ForegroundChanged(kDialog).dialog, kDialog);
}

TEST_F(Follower, TheSameWindowReportedTwiceIsNoChangeAndNullIsNoWindow) {
    CForegroundFollower f = Make();
    f.ForegroundChanged(kExplorer);
    EXPECT_FALSE(f.ForegroundChanged(nullptr).dialog);
    EXPECT_FALSE(f.ForegroundChanged(kDialog).dialog) << "null came in between";
    CForegroundFollower g = Make();
    g.ForegroundChanged(kExplorer);
    EXPECT_EQ(g.ForegroundChanged(kDialog).dialog, kDialog);
    EXPECT_FALSE(g.ForegroundChanged(kDialog).dialog);
}

TEST_F(Follower, ADialogThatIsGoneIsForgottenSoAReusedHandleFollowsAgain) {
    CForegroundFollower f = Make();
    f.ForegroundChanged(kExplorer);
    ASSERT_EQ(f.ForegroundChanged(kDialog).dialog, kDialog);
    EXPECT_EQ(f.RememberedDialogs(), 1u);
    gone_.insert(kDialog);
    f.ForegroundChanged(kExplorer);
    EXPECT_EQ(f.RememberedDialogs(), 0u);
    gone_.clear();  // the system gave the handle to a new dialog
    EXPECT_EQ(f.ForegroundChanged(kDialog).dialog, kDialog);
}

}  // namespace
