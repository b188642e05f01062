// The folder menu of a real main window, popped by command 32777 and read
// while the system paints it: which items it has, that each carries a
// picture, and that pictures are loaded once per cache lifetime.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>

#include "app/mainframe.h"
#include "dialogs/foldereditdlg.h"
#include "dialogs/setupdlg.h"
#include "framework/dpi.h"
#include "framework/gdi.h"
#include "framework/text.h"
#include "resources/resource.h"
#include "shell/iconsources.h"
#include "support/testsupport.h"
#include "unit/dialogs/dialogdriver.h"

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
            g_painted->items[dis->itemID] = {data->icons_, data->imageIndex_};
            if (dis->itemID == ID_FOLDER_FIRST && data->icons_)
                g_painted->folderPictures = data->icons_->GetPictureCount();
            if (g_painted->items.size() == g_expected) EndMenu();
        }
    }
    return CallNextHookEx(nullptr, code, w, l);
}

void CALLBACK GiveUp(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

Painted Pop(CMainFrame& frame, size_t expected) {
    Painted p;
    g_owner = frame.hwnd_;
    g_painted = &p;
    g_expected = expected;
    UniqueHook hook(
        SetWindowsHookExA(WH_CALLWNDPROC, WatchDrawItem, nullptr, GetCurrentThreadId()));
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
        seed.settings.shortcutType = ShortcutType::None;
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
    for (UINT id : {UINT(ID_FOLDER_FIRST), UINT(ID_FOLDER_FIRST + 2), UINT(ID_SETUP),
                    UINT(ID_APP_EXIT_CMD)}) {
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

// What the frame measured and drew for each item, read after it handled
// each message: the item's text as the menu holds it (UTF-16), its size, the
// size of its picture and how many pixels of the drawn item have a colour.
struct Drawn {
    std::map<UINT, std::wstring> text;
    std::map<UINT, SIZE> measured;
    std::map<UINT, SIZE> pictureSize;
    std::map<UINT, std::map<COLORREF, int>> colours;
};

Drawn* g_drawn = nullptr;

LRESULT CALLBACK WatchAfter(int code, WPARAM w, LPARAM l) {
    const auto* r = reinterpret_cast<const CWPRETSTRUCT*>(l);
    if (code == HC_ACTION && g_drawn && r->hwnd == g_owner) {
        if (r->message == WM_MEASUREITEM) {
            const auto* mis = reinterpret_cast<const MEASUREITEMSTRUCT*>(r->lParam);
            if (mis->CtlType == ODT_MENU)
                g_drawn->measured[mis->itemID] = {static_cast<LONG>(mis->itemWidth),
                                                  static_cast<LONG>(mis->itemHeight)};
        } else if (r->message == WM_DRAWITEM) {
            const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(r->lParam);
            const auto* data = reinterpret_cast<const CNewMenuItemData*>(dis->itemData);
            if (dis->CtlType == ODT_MENU && data && !data->IsSeparator()) {
                wchar_t text[256] = {};
                GetMenuStringW(reinterpret_cast<HMENU>(dis->hwndItem), dis->itemID, text, 256,
                               MF_BYCOMMAND);
                g_drawn->text[dis->itemID] = text;
                g_drawn->pictureSize[dis->itemID] =
                    data->icons_ ? data->icons_->GetImageSize() : SIZE{0, 0};
                // The item as it is on the menu now.
                const RECT& rc = dis->rcItem;
                const int cw = rc.right - rc.left, ch = rc.bottom - rc.top;
                BITMAPINFO bi = TopDown32BitInfo(cw, ch);
                void* bits = nullptr;
                HDC mem = CreateCompatibleDC(dis->hDC);
                HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
                HGDIOBJ old = SelectObject(mem, bmp);
                BitBlt(mem, 0, 0, cw, ch, dis->hDC, rc.left, rc.top, SRCCOPY);
                GdiFlush();
                auto& counts = g_drawn->colours[dis->itemID];
                for (int i = 0; i < cw * ch; ++i) {
                    const DWORD p = static_cast<const DWORD*>(bits)[i];
                    ++counts[RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF)];
                }
                SelectObject(mem, old);
                DeleteObject(bmp);
                DeleteDC(mem);
                if (g_drawn->text.size() == g_expected) EndMenu();
            }
        }
    }
    return CallNextHookEx(nullptr, code, w, l);
}

Drawn PopAndRead(CMainFrame& frame, size_t expected) {
    Drawn d;
    g_owner = frame.hwnd_;
    g_drawn = &d;
    g_expected = expected;
    UniqueHook hook(
        SetWindowsHookExA(WH_CALLWNDPROCRET, WatchAfter, nullptr, GetCurrentThreadId()));
    UINT_PTR timer = SetTimer(nullptr, 0, 5000, GiveUp);
    frame.SendMessage(WM_COMMAND, ID_POP_MENU);
    KillTimer(nullptr, timer);
    g_drawn = nullptr;
    PumpMessages();
    return d;
}

// A folder whose name mixes three scripts, stored by another tool (the W
// calls), with an icon file that holds a blue 16-pixel and a red 24-pixel
// picture: the menu shows the name whole and the picture of the size of the
// DPI it is drawn at (this prefix's: 96, or 144 in the high-DPI run).
TEST(FolderMenuScripts, NameInAnyScriptAndThePictureOfTheDpisSize) {
    ScopedRegTree tree(HKEY_CURRENT_USER, "Software\\VantrelFolderMenuTest");
    ScratchDir dir("foldermenu");
    const std::wstring name =
        L"\u041F\u0440\u043E\u0435\u043A\u0442\u044B "
        L"\u65E5\u672C\u8A9E \xD83C\xDFB5";
    const std::wstring folder = ToWide(dir.Path()) + L"\\" + name;
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const COLORREF blue = RGB(20, 40, 210), red = RGB(220, 20, 30);
    const std::string ico = dir.Path() + "\\pictures.ico";
    ASSERT_TRUE(WriteSolidIconFile(ico, {{16, blue}, {24, red}}));
    {
        HKEY k = nullptr;
        ASSERT_EQ(
            RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\VantrelFolderMenuTest\\Vantrel\\Entries",
                            0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr),
            ERROR_SUCCESS);
        auto setW = [k](const wchar_t* n, const std::wstring& v) {
            RegSetValueExW(k, n, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()),
                           static_cast<DWORD>((v.size() + 1) * sizeof(wchar_t)));
        };
        const DWORD count = 1, index = 0;
        RegSetValueExW(k, L"Count", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), 4);
        setW(L"Path0", folder);
        setW(L"Title0", name);
        setW(L"IconFile0", ToWide(ico));
        RegSetValueExW(k, L"IconIndex0", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&index), 4);
        RegCloseKey(k);
    }
    CRegProfile profile("VantrelFolderMenuTest", "Vantrel");
    profile.WriteProfileInt("", regname::kAlreadyRun, 1);
    profile.WriteProfileInt("", regname::kShowTray, 0);
    profile.WriteProfileInt("", regname::kShortcutType, 0);
    SetCursorPos(200, 200);

    CMainFrame frame(profile);
    frame.reportMessage = [](const std::string&) {};
    ASSERT_TRUE(frame.Create());
    Drawn d = PopAndRead(frame, 3);
    frame.DestroyWindow();

    ASSERT_EQ(d.text.count(ID_FOLDER_FIRST), 1u) << "the folder has an item: its path was found";
    EXPECT_EQ(d.text[ID_FOLDER_FIRST], name);
    EXPECT_EQ(d.text[ID_SETUP], L"Setup...");
    const int dpi = SystemDpi();
    const int size = SmallIconSizeForDpi(dpi);
    for (UINT id : {UINT(ID_FOLDER_FIRST), UINT(ID_SETUP), UINT(ID_APP_EXIT_CMD)}) {
        EXPECT_EQ(d.pictureSize[id].cx, size) << id;
        // Room for the picture and the menu font of this DPI.
        EXPECT_GE(d.measured[id].cy, size + ScaleForDpi(7, dpi)) << id;
    }
    NONCLIENTMETRICSA ncm = {};
    ASSERT_TRUE(NonClientMetricsForDpi(ncm, dpi));
    EXPECT_GT(d.measured[ID_FOLDER_FIRST].cy, std::abs(ncm.lfMenuFont.lfHeight));
    // The file's own picture of that size, whole: blue at 16, red at 24.
    auto& seen = d.colours[ID_FOLDER_FIRST];
    if (size == 16) {
        EXPECT_EQ(seen[blue], 16 * 16);
        EXPECT_EQ(seen[red], 0);
    } else {
        ASSERT_EQ(size, 24) << "no picture of this size in the file";
        EXPECT_EQ(seen[red], 24 * 24);
        EXPECT_EQ(seen[blue], 0);
    }
}

// One folder in the three places that show it: the menu, the rows of the
// Setup list and the item of the editor's icon picker. Each place is read
// as it draws, and each must show the same picture: for a file icon the
// file's own picture of the place's size (the file holds one per size, in
// colours of their own, so a place that took another size or stretched one
// shows another colour); for a system image the very same pixels.
class OneFolderOneIcon : public ::testing::Test {
protected:
    void SetUp() override { ComputeIconReferenceValues(BinDir()); }

    // The folder's picture on the menu: the colours of its item.
    std::map<COLORREF, int> MenuColours(const FolderEntry& entry) {
        CSettingsStore seed(profile_);
        seed.settings.showTray = false;
        seed.settings.shortcutType = ShortcutType::None;
        seed.folders[0] = entry;
        seed.SaveSettings();
        profile_.WriteProfileInt("", regname::kAlreadyRun, 1);
        SetCursorPos(200, 200);
        CMainFrame frame(profile_);
        frame.reportMessage = [](const std::string&) {};
        if (!frame.Create()) return {};
        Drawn d = PopAndRead(frame, 3);
        frame.DestroyWindow();
        return d.colours[ID_FOLDER_FIRST];
    }

    // The folder's row picture in the Setup list, drawn at its size.
    std::vector<COLORREF> SetupRowPixels(const FolderEntry& entry, int& size) {
        CSetupDlg setup(nullptr);
        setup.folders_[0] = entry;
        dlgtest::DialogThread run([&] { return setup.DoModal(); });
        HWND d = run.WaitForDialog("Setup");
        if (!d) return {};
        HWND list = GetDlgItem(d, IDC_FOLDER_LIST);
        auto image = [list] {
            LVITEMA it = {};
            it.mask = LVIF_IMAGE;
            return SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it)) ? it.iImage
                                                                                      : -1;
        };
        if (!WaitUntil([&] { return image() >= 0; })) return {};
        auto images =
            reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
        int cy = 0;
        ImageList_GetIconSize(images, &size, &cy);
        UniqueIcon row(ImageList_GetIcon(images, image(), ILD_NORMAL));
        return DrawnIconPixels(row.Get(), size);
    }

    // The picker's item for the folder's icon in the editor, drawn at its size.
    std::vector<COLORREF> EditorPickerPixels(const FolderEntry& entry, int& size) {
        CFolderEditDlg editor;
        editor.path_ = entry.path;
        editor.title_ = entry.title;
        editor.iconFile_ = entry.iconFile;
        editor.iconIndex_ = entry.iconIndex;
        dlgtest::DialogThread run([&] { return editor.DoModal(); });
        HWND d = run.WaitForDialog("Add/Edit");
        if (!d) return {};
        HWND picker = GetDlgItem(d, IDC_ICON_PICKER);
        // Item 0 is the default picture; the folder's icon is chosen.
        const int chosen = entry.iconFile == kSystemImageListMarker ? 1 : entry.iconIndex + 1;
        if (!WaitUntil([&] { return SendMessageA(picker, CB_GETCURSEL, 0, 0) == chosen; }))
            return {};
        size = editor.IconPicker().IconSize();
        return DrawnIconPixels(editor.IconPicker().ItemIcon(chosen), size);
    }

    ScopedRegTree tree_{HKEY_CURRENT_USER, "Software\\VantrelFolderMenuTest"};
    CRegProfile profile_{"VantrelFolderMenuTest", "Vantrel"};
    ScratchDir dir_{"sameicon"};
};

TEST_F(OneFolderOneIcon, AFileIconIsTheFilesPictureOfTheSizeEverywhere) {
    const COLORREF blue = RGB(20, 40, 210), red = RGB(220, 20, 30), green = RGB(30, 200, 40);
    const std::string ico = dir_.Path() + "\\sizes.ico";
    ASSERT_TRUE(WriteSolidIconFile(ico, {{16, blue}, {24, red}, {32, green}}));
    const FolderEntry entry{dir_.MakeDir("Holiday"), "Holiday", ico, 0};
    auto colourOf = [&](int size) { return size == 16 ? blue : size == 24 ? red : green; };

    const int menuSize = SmallIconSizeForDpi(SystemDpi());
    ASSERT_TRUE(menuSize == 16 || menuSize == 24) << "no picture of this size in the file";
    std::map<COLORREF, int> menu = MenuColours(entry);
    EXPECT_EQ(menu[colourOf(menuSize)], menuSize * menuSize) << "menu";
    for (COLORREF other : {blue, red, green}) {
        if (other != colourOf(menuSize)) {
            EXPECT_EQ(menu[other], 0) << "menu";
        }
    }

    int rowSize = 0, pickerSize = 0;
    const std::vector<COLORREF> row = SetupRowPixels(entry, rowSize);
    const std::vector<COLORREF> picker = EditorPickerPixels(entry, pickerSize);
    ASSERT_EQ(rowSize, menuSize);
    ASSERT_EQ(pickerSize, menuSize);
    EXPECT_EQ(CountColour(row, colourOf(rowSize)), rowSize * rowSize) << "Setup";
    EXPECT_EQ(CountColour(picker, colourOf(pickerSize)), pickerSize * pickerSize) << "editor";
}

TEST_F(OneFolderOneIcon, ASystemImageIsTheSamePixelsInSetupAndTheEditor) {
    int windowsImage = -1;
    ASSERT_TRUE(GetSystemIconIndex("C:\\windows", windowsImage));
    const FolderEntry entry{"C:\\windows", "Windows", kSystemImageListMarker, windowsImage};
    int rowSize = 0, pickerSize = 0;
    const std::vector<COLORREF> row = SetupRowPixels(entry, rowSize);
    const std::vector<COLORREF> picker = EditorPickerPixels(entry, pickerSize);
    ASSERT_EQ(rowSize, pickerSize);
    ASSERT_FALSE(row.empty());
    // Not the white it was drawn over: a picture was drawn.
    EXPECT_LT(CountColour(row, RGB(255, 255, 255)), rowSize * rowSize);
    EXPECT_EQ(row, picker);
    // What the menu loads for it, drawn the same way.
    UniqueIcon loaded(LoadIconOfSize(entry.iconFile, entry.iconIndex, rowSize));
    EXPECT_EQ(DrawnIconPixels(loaded.Get(), rowSize), row);
}

}  // namespace
