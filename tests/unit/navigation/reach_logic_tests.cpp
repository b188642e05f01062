// Window-free rules of the item dialogs and of targets out of reach: the
// route per dialog form and entry, the folder picker's OK text, what a
// failed send means, and when a target's rights put it out of reach.
#include <windows.h>

#include <gtest/gtest.h>

#include "navigation/elevation.h"
#include "navigation/itemdialog.h"
#include "navigation/sendwindow.h"

using namespace vt::nav;

TEST(NavItemDialogRoute, OpenUsesItsNameBoxSaveAndPickerTheAddressBand) {
    using F = ItemDialogForm;
    using R = ItemDialogRoute;
    // Open: the name box takes a folder (it goes there) and a file (chosen).
    EXPECT_EQ(ChooseItemDialogRoute(F::Open, true, true), R::FileName);
    EXPECT_EQ(ChooseItemDialogRoute(F::Open, false, true), R::FileName);
    EXPECT_EQ(ChooseItemDialogRoute(F::Open, true, false), R::AddressBand);
    EXPECT_EQ(ChooseItemDialogRoute(F::Open, false, false), R::None);
    // Save: OK is never pressed; a file only fills the box.
    EXPECT_EQ(ChooseItemDialogRoute(F::Save, true, true), R::AddressBand);
    EXPECT_EQ(ChooseItemDialogRoute(F::Save, true, false), R::AddressBand);
    EXPECT_EQ(ChooseItemDialogRoute(F::Save, false, true), R::NameOnly);
    EXPECT_EQ(ChooseItemDialogRoute(F::Save, false, false), R::None);
    // The picker takes folders only, with or without a name box.
    EXPECT_EQ(ChooseItemDialogRoute(F::FolderPicker, true, true), R::AddressBand);
    EXPECT_EQ(ChooseItemDialogRoute(F::FolderPicker, true, false), R::AddressBand);
    EXPECT_EQ(ChooseItemDialogRoute(F::FolderPicker, false, true), R::None);
    EXPECT_EQ(ChooseItemDialogRoute(F::FolderPicker, false, false), R::None);
}

TEST(NavItemDialogRoute, SelectFolderTextWithoutMnemonicOrCase) {
    EXPECT_TRUE(IsSelectFolderText("Select Folder"));
    EXPECT_TRUE(IsSelectFolderText("Select &Folder"));
    EXPECT_TRUE(IsSelectFolderText("&select folder"));
    EXPECT_FALSE(IsSelectFolderText("&Open"));
    EXPECT_FALSE(IsSelectFolderText("Select Folder..."));
    EXPECT_FALSE(IsSelectFolderText("Select"));
    EXPECT_FALSE(IsSelectFolderText(""));
}

TEST(NavSendFailure, AccessDeniedIsARefusalNotATimeOut) {
    EXPECT_EQ(StatusOfFailedSend(ERROR_ACCESS_DENIED), SendStatus::Refused);
    EXPECT_EQ(StatusOfFailedSend(ERROR_INVALID_WINDOW_HANDLE), SendStatus::NoWindow);
    EXPECT_EQ(StatusOfFailedSend(ERROR_TIMEOUT), SendStatus::TimedOut);
    // Nothing said: the message may still be handled later.
    EXPECT_EQ(StatusOfFailedSend(0), SendStatus::TimedOut);
}

TEST(NavElevation, OnlyAnElevatedTargetOfANonElevatedVantrelIsOutOfReach) {
    EXPECT_EQ(ElevationFromToken(true, 1), Elevation::Elevated);
    EXPECT_EQ(ElevationFromToken(true, 0), Elevation::NotElevated);
    EXPECT_EQ(ElevationFromToken(false, 1), Elevation::Unknown);

    EXPECT_TRUE(IsOutOfReach(Elevation::Elevated, Elevation::NotElevated));
    // Own rights unreadable: the target's are the ones that shield it.
    EXPECT_TRUE(IsOutOfReach(Elevation::Elevated, Elevation::Unknown));
    EXPECT_FALSE(IsOutOfReach(Elevation::Elevated, Elevation::Elevated));
    EXPECT_FALSE(IsOutOfReach(Elevation::NotElevated, Elevation::NotElevated));
    EXPECT_FALSE(IsOutOfReach(Elevation::NotElevated, Elevation::Elevated));
    // Unreadable target: tried, a refusal tells afterwards.
    EXPECT_FALSE(IsOutOfReach(Elevation::Unknown, Elevation::NotElevated));

    // A refusal is put down to the target's rights only where they could be
    // the cause: never when Vantrel is elevated, nor when the target is not.
    EXPECT_TRUE(RefusalMeansOutOfReach(Elevation::Unknown, Elevation::NotElevated));
    EXPECT_TRUE(RefusalMeansOutOfReach(Elevation::Unknown, Elevation::Unknown));
    EXPECT_TRUE(RefusalMeansOutOfReach(Elevation::Elevated, Elevation::NotElevated));
    EXPECT_FALSE(RefusalMeansOutOfReach(Elevation::Unknown, Elevation::Elevated));
    EXPECT_FALSE(RefusalMeansOutOfReach(Elevation::Elevated, Elevation::Elevated));
    EXPECT_FALSE(RefusalMeansOutOfReach(Elevation::NotElevated, Elevation::NotElevated));
}

TEST(NavElevation, TokenCheckOfNoProcessIsUnknownAndOfItselfAgrees) {
    const CTokenElevationCheck check;
    EXPECT_EQ(check.OfProcess(0), Elevation::Unknown);
    // A process id that no process has (ids are multiples of four).
    EXPECT_EQ(check.OfProcess(0xFFFFFFF1u), Elevation::Unknown);
    const Elevation self = check.OfThisProcess();
    EXPECT_NE(self, Elevation::Unknown);
    EXPECT_EQ(check.OfProcess(GetCurrentProcessId()), self);
}
