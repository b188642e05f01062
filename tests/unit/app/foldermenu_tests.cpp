// The folder menu of a real main window, popped by command 32777 and read
// while the system paints it: which items it has, that each carries a
// picture, and that pictures are loaded once per cache lifetime.
#include <gtest/gtest.h>

#include <map>

#include "app/mainframe.h"
#include "resources/resource.h"
#include "support/testsupport.h"

using namespace vt;
using namespace vt::test;

namespace {

// What one showing painted: item id -> (picture collection, picture index),
// and the number of pictures the folder items' collection held meanwhile.
struct Painted {
    std::map<UINT, std::pair<CNewMenuIcons*, int>> items;
    int folderPictures = -1;
};

HWND g_owner = nullptr;
Painted* g_painted = nullptr;
size_t g_expected = 0;

LRESULT CALLBACK WatchDrawItem(int code, WPARAM w, LPARAM l) {
    const auto* cwp = reinterpret_cast<const CWPSTRUCT*>(l);
    if (code == HC_ACTION && g_painted && cwp->hwnd == g_owner && cwp->message == WM_DRAWITEM) {
        const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(cwp->lParam);
        const auto* data = reinterpret_cast<const CNewMenuItemData*>(dis->itemData);
        if (dis->CtlType == ODT_MENU && data && !data->IsSeparator()) {
            g_painted->items[dis->itemID] = {data->m_pMenuIcon, data->m_nMenuIconOffset};
            if (dis->itemID == ID_FOLDER_FIRST && data->m_pMenuIcon)
                g_painted->folderPictures = data->m_pMenuIcon->GetPictureCount();
            if (g_painted->items.size() == g_expected) EndMenu();
        }
    }
    return CallNextHookEx(nullptr, code, w, l);
}

void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

Painted Pop(CMainFrame& frame, size_t expected) {
    Painted p;
    g_owner = frame.m_hWnd;
    g_painted = &p;
    g_expected = expected;
    UniqueHook hook(SetWindowsHookExA(WH_CALLWNDPROC, WatchDrawItem, nullptr, GetCurrentThreadId()));
    UINT_PTR timer = SetTimer(nullptr, 0, 5000, GiveUp);
    frame.SendMessage(WM_COMMAND, ID_POP_MENU);
    KillTimer(nullptr, timer);
    g_painted = nullptr;
    PumpMessages();
    return p;
}

class FolderMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        CSettingsStore seed(profile_);
        seed.settings.showTray = false;
        seed.settings.shortcutType = 0;
        // Keys 0 and 2 exist, key 1 is missing; 0 and 2 share one icon,
        // named with different case.
        seed.folders[0] = {dir_.MakeDir("One"), "One", "C:\\windows\\system32\\shell32.dll", 5};
        seed.folders[1] = {dir_.Path() + "\\Gone", "Gone", "", -1};
        seed.folders[2] = {dir_.MakeDir("Two"), "Two", "c:\\WINDOWS\\system32\\SHELL32.dll", 5};
        seed.SaveSettings();
        profile_.WriteProfileInt("", regname::kAlreadyRun, 1);
        SetCursorPos(200, 200);
    }

    ScopedRegTree tree_{HKEY_CURRENT_USER, "Software\\VantrelFolderMenuTest"};
    CRegProfile profile_{"VantrelFolderMenuTest", "Vantrel"};
    ScratchDir dir_{"foldermenu"};
};

TEST_F(FolderMenuTest, ExistingFoldersThenCommandsEachWithAPictureLoadedOnce) {
    CMainFrame frame(profile_);
    frame.reportMessage = [](const std::string&) {};
    ASSERT_TRUE(frame.Create());

    Painted first = Pop(frame, 4);
    // The missing folder has no item; the others keep their keys in their ids.
    ASSERT_EQ(4u, first.items.size());
    EXPECT_EQ(0u, first.items.count(ID_FOLDER_FIRST + 1));
    for (UINT id : {UINT(ID_FOLDER_FIRST), UINT(ID_FOLDER_FIRST + 2), UINT(ID_SETUP), UINT(ID_APP_EXIT_CMD)}) {
        ASSERT_EQ(1u, first.items.count(id)) << id;
        EXPECT_NE(nullptr, first.items[id].first) << id;
        EXPECT_GE(first.items[id].second, 0) << id;
    }
    // Two spellings of one icon: one picture.
    EXPECT_EQ(first.items[ID_FOLDER_FIRST], first.items[ID_FOLDER_FIRST + 2]);

    // The next activation finds every picture in the cache.
    Painted second = Pop(frame, 4);
    ASSERT_EQ(4u, second.items.size());
    EXPECT_EQ(first.folderPictures, second.folderPictures);
    EXPECT_EQ(first.items[ID_FOLDER_FIRST], second.items[ID_FOLDER_FIRST]);

    // A settings change empties the cache: the icon is loaded afresh.
    frame.SendMessage(WM_SETTINGCHANGE, 0, 0);
    Painted third = Pop(frame, 4);
    ASSERT_EQ(4u, third.items.size());
    EXPECT_EQ(first.folderPictures + 1, third.folderPictures);
    EXPECT_NE(first.items[ID_FOLDER_FIRST].second, third.items[ID_FOLDER_FIRST].second);

    frame.DestroyWindow();
}

}  // namespace
