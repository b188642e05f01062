// Window-free rules of the navigation: class-name matching, WinZip's
// uninstall command line, the tree-item record layouts.
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <cstring>

#include <gtest/gtest.h>

#include "navigation/installlocations.h"
#include "navigation/recognise.h"
#include "navigation/remote.h"

using namespace vt::nav;

TEST(NavClassNameMatch, WholeNameIgnoringAsciiCaseOnly) {
    EXPECT_TRUE(ClassNameMatches("ComboBox", "combobox"));
    EXPECT_TRUE(ClassNameMatches("SysTreeView32", "systreeview32"));
    EXPECT_TRUE(ClassNameMatches("tcombobox", "TComboBox"));
    EXPECT_TRUE(ClassNameMatches("Snake List", "snake list"));
    // A name that merely begins with the wanted one, or is a prefix of it.
    EXPECT_FALSE(ClassNameMatches("ComboBoxEx32", "combobox"));
    EXPECT_FALSE(ClassNameMatches("Combo", "combobox"));
    EXPECT_FALSE(ClassNameMatches("", "edit"));
    // Only ASCII letters fold: 0xC4/0xE4 are different bytes.
    EXPECT_FALSE(
        ClassNameMatches("\xC4"
                         "dit",
                         "\xE4"
                         "dit"));
    EXPECT_FALSE(ClassNameMatches("edit_", "edit@"));
}

TEST(NavWinZipUninstallString, ExecutablePart) {
    EXPECT_EQ(
        WinZipExeFromUninstallString("\"C:\\Program Files\\WinZip\\WINZIP32.EXE\" /uninstall"),
        "C:\\Program Files\\WinZip\\WINZIP32.EXE");
    EXPECT_EQ(WinZipExeFromUninstallString("\"C:\\WinZip\\winzip32.exe\""),
              "C:\\WinZip\\winzip32.exe");
    EXPECT_EQ(WinZipExeFromUninstallString("\"C:\\WinZip\\winzip32.exe /x"), "");
    EXPECT_EQ(WinZipExeFromUninstallString("C:\\WinZip\\WINZIP32.EXE /uninstall"),
              "C:\\WinZip\\WINZIP32.EXE");
    // Unquoted without arguments is not recognised.
    EXPECT_EQ(WinZipExeFromUninstallString("C:\\WinZip\\WINZIP32.EXE"), "");
    EXPECT_EQ(WinZipExeFromUninstallString(""), "");
    EXPECT_EQ(WinZipExeFromUninstallString("\"\" x"), "");
}

TEST(NavTreeItemRecord, LayoutsOfBothBitnesses) {
    const TreeItemLayout l32 = TreeItemLayoutFor(false);
    EXPECT_EQ(l32.size, 40u);
    EXPECT_EQ(l32.mask, 0u);
    EXPECT_EQ(l32.item, 4u);
    EXPECT_EQ(l32.text, 16u);
    EXPECT_EQ(l32.textMax, 20u);
    const TreeItemLayout l64 = TreeItemLayoutFor(true);
    EXPECT_EQ(l64.size, 56u);
    EXPECT_EQ(l64.item, 8u);
    EXPECT_EQ(l64.text, 24u);
    EXPECT_EQ(l64.textMax, 32u);
    // The layout of this build's own bitness is the system's own TVITEMA.
    const TreeItemLayout own = TreeItemLayoutFor(sizeof(void*) == 8);
    EXPECT_EQ(own.size, sizeof(TVITEMA));
    EXPECT_EQ(own.item, offsetof(TVITEMA, hItem));
    EXPECT_EQ(own.text, offsetof(TVITEMA, pszText));
    EXPECT_EQ(own.textMax, offsetof(TVITEMA, cchTextMax));
}

TEST(NavTreeItemRecord, FieldsAndZeroes) {
    for (bool wide : {false, true}) {
        const TreeItemLayout l = TreeItemLayoutFor(wide);
        const auto rec = BuildTreeItemRecord(wide, 0x12345678u, 0x7000F000u, 4056);
        ASSERT_EQ(rec.size(), l.size);
        UINT mask = 0;
        std::memcpy(&mask, &rec[l.mask], 4);
        EXPECT_EQ(mask, 0x11u);
        std::uint64_t item = 0, text = 0;
        std::memcpy(&item, &rec[l.item], wide ? 8 : 4);
        std::memcpy(&text, &rec[l.text], wide ? 8 : 4);
        EXPECT_EQ(item, 0x12345678u);
        EXPECT_EQ(text, 0x7000F000u);
        int cap = 0;
        std::memcpy(&cap, &rec[l.textMax], 4);
        EXPECT_EQ(cap, 4056);
        size_t nonzero = 0;
        for (BYTE b : rec) nonzero += b != 0;
        // 0x11, 12 34 56 78, 00 F0 00 70, D8 0F: only the four fields are set.
        EXPECT_EQ(nonzero, 9u);
    }
    // The native record built by hand agrees on this build.
    TVITEMA native;
    std::memset(&native, 0, sizeof native);
    native.mask = TVIF_TEXT | TVIF_HANDLE;
    native.hItem = reinterpret_cast<HTREEITEM>(static_cast<UINT_PTR>(0x12345678u));
    native.pszText = reinterpret_cast<LPSTR>(static_cast<UINT_PTR>(0x7000F000u));
    native.cchTextMax = 4056;
    const auto mine = BuildTreeItemRecord(sizeof(void*) == 8, 0x12345678u, 0x7000F000u, 4056);
    ASSERT_EQ(mine.size(), sizeof native);
    EXPECT_EQ(std::memcmp(mine.data(), &native, sizeof native), 0);
}
