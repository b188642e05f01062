// The keyboard shortcut as stored and as registered: the Windows-key bit in
// the stored modifier, the combinations a first run tries, and their names.
#include <gtest/gtest.h>

#include <iterator>
#include <set>

#include "model/shortcut.h"

using namespace vt;

namespace {

AppSettings Stored(int type, const char* letter, WORD vk, WORD mods) {
    AppSettings s;
    s.shortcutType = ShortcutTypeFromStored(type);
    s.windowsKey = letter;
    s.normalHotKeyVirtualKey = vk;
    s.normalHotKeyModifier = mods;
    return s;
}

TEST(Shortcut, TheWindowsKeyBitReadsAsModWinAndOlderValuesKeepTheirMeaning) {
    EXPECT_EQ(HotKeyModifiersFromControl(0x10), static_cast<UINT>(MOD_WIN));
    EXPECT_EQ(HotKeyModifiersFromControl(0x11), static_cast<UINT>(MOD_WIN | MOD_SHIFT));
    EXPECT_EQ(HotKeyModifiersFromControl(0x1F),
              static_cast<UINT>(MOD_WIN | MOD_SHIFT | MOD_CONTROL | MOD_ALT));
    // Everything the hot-key control can set (1, 2, 4, 8) never reaches MOD_WIN.
    for (WORD m = 0; m < 0x10; ++m) EXPECT_EQ(HotKeyModifiersFromControl(m) & MOD_WIN, 0u) << m;
}

TEST(Shortcut, TheTypesKeepTheNumbersStoredBeforeAndAnUnknownOneSurvives) {
    EXPECT_EQ(StoredShortcutType(ShortcutType::None), 0);
    EXPECT_EQ(StoredShortcutType(ShortcutType::WindowsKey), 1);
    EXPECT_EQ(StoredShortcutType(ShortcutType::HotKey), 2);
    EXPECT_EQ(ShortcutTypeFromStored(2), ShortcutType::HotKey);
    // A number a later version might store is written back as it was read.
    for (int stored : {0, 1, 2, 7, -1})
        EXPECT_EQ(StoredShortcutType(ShortcutTypeFromStored(stored)), stored);
    EXPECT_EQ(AppSettings().shortcutType, ShortcutType::WindowsKey);
}

TEST(Shortcut, WhatEachShortcutTypeAsksFor) {
    EXPECT_EQ(ShortcutOf(Stored(1, "A", VK_F9, 2)), (Shortcut{MOD_WIN, 'A'}));
    EXPECT_EQ(ShortcutOf(Stored(1, "Zed", 0, 0)), (Shortcut{MOD_WIN, 'Z'}));
    EXPECT_EQ(ShortcutOf(Stored(1, "", 0, 0)).vk, 0u);
    EXPECT_EQ(ShortcutOf(Stored(2, "A", VK_F9, 2 | 4)), (Shortcut{MOD_CONTROL | MOD_ALT, VK_F9}));
    EXPECT_EQ(ShortcutOf(Stored(2, "A", 'K', 0x10 | 1)), (Shortcut{MOD_WIN | MOD_SHIFT, 'K'}));
    EXPECT_EQ(ShortcutOf(Stored(2, "A", 0, 0x10)).vk, 0u);  // no key: none
    EXPECT_EQ(ShortcutOf(Stored(0, "A", VK_F9, 2)).vk, 0u);
    EXPECT_EQ(ShortcutOf(Stored(3, "A", VK_F9, 2)).vk, 0u);
}

TEST(Shortcut, StoredCombinationsReadBackAsTheSameCombination) {
    for (const Shortcut& k : kFirstRunShortcuts) {
        AppSettings s = Stored(1, "Q", 0, 0);
        StoreShortcut(s, k);
        EXPECT_EQ(s.shortcutType, ShortcutType::HotKey);
        EXPECT_EQ(ShortcutOf(s), k) << DescribeShortcut(k);
        EXPECT_EQ(s.windowsKey, "Q");  // the letter box's choice is left alone
    }
    AppSettings s;
    StoreShortcut(s, {MOD_WIN | MOD_CONTROL, 'Z'});
    EXPECT_EQ(s.normalHotKeyVirtualKey, 'Z');
    EXPECT_EQ(s.normalHotKeyModifier, 0x10 | 2);
    StoreShortcut(s, {MOD_ALT | MOD_SHIFT, VK_F3});
    EXPECT_EQ(s.normalHotKeyModifier, 4 | 1);
}

TEST(Shortcut, TheFirstRunListStartsWithWindowsAAndAvoidsWhatTheShellTakes) {
    ASSERT_GE(std::size(kFirstRunShortcuts), 3u);
    EXPECT_EQ(kFirstRunShortcuts[0], (Shortcut{MOD_WIN, 'A'}));
    // What the Windows 11 shell registers with Shift and with Ctrl.
    const std::set<char> shellShift = {'C', 'M', 'R', 'S'};
    const std::set<char> shellCtrl = {'C', 'D', 'F', 'N', 'O', 'Q', 'S'};
    std::set<DWORD> seen;
    for (size_t i = 1; i < std::size(kFirstRunShortcuts); ++i) {
        const Shortcut& k = kFirstRunShortcuts[i];
        const std::string name = DescribeShortcut(k);
        EXPECT_TRUE(k.modifiers & MOD_WIN) << name;
        EXPECT_FALSE((k.modifiers & MOD_CONTROL) && (k.modifiers & MOD_ALT)) << name << ": AltGr";
        EXPECT_TRUE(k.modifiers & (MOD_SHIFT | MOD_CONTROL)) << name << ": the shell has it";
        const char letter = static_cast<char>(k.vk);
        if (k.modifiers == (MOD_WIN | MOD_SHIFT)) {
            EXPECT_FALSE(shellShift.count(letter)) << name;
        }
        if (k.modifiers == (MOD_WIN | MOD_CONTROL)) {
            EXPECT_FALSE(shellCtrl.count(letter)) << name;
        }
        EXPECT_TRUE(seen.insert(PackShortcut(k)).second) << name << " twice";
    }
    // The first fallback keeps the letter of the default.
    EXPECT_EQ(kFirstRunShortcuts[1], (Shortcut{MOD_WIN | MOD_SHIFT, 'A'}));
}

TEST(Shortcut, NamesAsTheUserPressesThem) {
    EXPECT_EQ(DescribeShortcut({MOD_WIN, 'A'}), "Windows key + A");
    EXPECT_EQ(DescribeShortcut({MOD_WIN | MOD_SHIFT, 'A'}), "Windows key + Shift + A");
    EXPECT_EQ(DescribeShortcut({MOD_WIN | MOD_CONTROL | MOD_SHIFT, 'Z'}),
              "Windows key + Ctrl + Shift + Z");
    EXPECT_EQ(DescribeShortcut({MOD_CONTROL | MOD_ALT, VK_F9}), "Ctrl + Alt + F9");
    EXPECT_EQ(DescribeShortcut({MOD_SHIFT, '7'}), "Shift + 7");
    // Other keys by the layout's own name, never an empty one.
    EXPECT_GT(DescribeShortcut({MOD_CONTROL, VK_HOME}).size(), std::string("Ctrl + ").size());
}

TEST(Shortcut, PackedCombinationsTellModifiersAndKeysApart) {
    EXPECT_EQ(PackShortcut({MOD_WIN | MOD_SHIFT, 'A'}), 0x000C0041u);
    EXPECT_NE(PackShortcut({MOD_WIN, 'A'}), PackShortcut({MOD_WIN | MOD_SHIFT, 'A'}));
    EXPECT_NE(PackShortcut({MOD_WIN, 'A'}), PackShortcut({MOD_WIN, 'B'}));
    EXPECT_EQ(PackShortcut({}), 0u);
}

}  // namespace
