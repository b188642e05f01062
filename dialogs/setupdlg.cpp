#include "dialogs/setupdlg.h"

#include "dialogs/browseforfolder.h"
#include "dialogs/foldereditdlg.h"
#include "shell/iconsources.h"
#include "shell/shellintegration.h"
#include "dialogs/webpages.h"
#include "framework/ddx.h"
#include "framework/dpi.h"
#include "framework/fileio.h"
#include "framework/filedialog.h"
#include "framework/module.h"
#include "model/settingsfile.h"
#include "model/shortcut.h"
#include "resources/resource.h"

namespace vt {

namespace {

// Rows are kept in ascending key order.
int CALLBACK CompareKeys(LPARAM a, LPARAM b, LPARAM) { return a < b ? -1 : (a > b ? 1 : 0); }

// Bitmap 132 at the row image size; stretched by whole pixels so that the
// mask colour stays exact.
HBITMAP DefaultFolderBitmap(int size) {
    HINSTANCE inst = GetModuleHandleA(nullptr);
    UniqueBitmap src(static_cast<HBITMAP>(
        LoadImageA(inst, MAKEINTRESOURCEA(IDB_DEFAULT_FOLDER), IMAGE_BITMAP, 0, 0, 0)));
    if (!src) return nullptr;
    BITMAP bm = {};
    GetObjectA(src.Get(), sizeof bm, &bm);
    if (bm.bmWidth == size && bm.bmHeight == size) return src.Release();
    HDC screen = GetDC(nullptr);
    HBITMAP out = CreateCompatibleBitmap(screen, size, size);
    UniqueMemDC from(CreateCompatibleDC(screen)), to(CreateCompatibleDC(screen));
    ReleaseDC(nullptr, screen);
    if (!out || !from || !to) {
        if (out) DeleteObject(out);
        return nullptr;
    }
    {
        ScopedSelect a(from.Get(), src.Get()), b(to.Get(), out);
        SetStretchBltMode(to.Get(), COLORONCOLOR);
        StretchBlt(to.Get(), 0, 0, size, size, from.Get(), 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    }
    return out;
}

const char kSettingsFileFilter[] = "Registration Files (*.reg)|*.reg|All Files (*.*)|*.*||";
// Far more than any list of folders needs; a larger file is not one of ours.
constexpr size_t kMaxSettingsFileBytes = 16u << 20;

// What Import says of a file it cannot take; nothing has changed then.
std::string ImportProblemText(const std::string& file, const SettingsFileContents& c) {
    const std::string name = "\"" + file + "\"";
    const std::string line = c.line > 0 ? " (line " + std::to_string(c.line) + ")" : "";
    std::string why;
    switch (c.problem) {
        case SettingsFileProblem::Empty:
            why = name + " is empty.";
            break;
        case SettingsFileProblem::NotRegistryFile:
            why =
                name + " is not a file of Vantrel's settings (a registry file that Export writes).";
            break;
        case SettingsFileProblem::WrongVersion:
            why = name + " is a registry file of another version (\"" + c.detail +
                  "\"); Vantrel reads \"Windows Registry Editor Version 5.00\" files.";
            break;
        case SettingsFileProblem::ForeignKey:
            why = name + " holds a registry key that is not Vantrel's (" + c.detail +
                  "). Vantrel imports only its own settings.";
            break;
        case SettingsFileProblem::NoSettings:
            why = name + " is a registry file, but it holds no settings of Vantrel.";
            break;
        case SettingsFileProblem::Truncated:
            why = name + " is incomplete: it ends before the folder list does" + line +
                  ". It may have been cut short while it was copied or saved.";
            break;
        case SettingsFileProblem::Damaged:
            why = name + " is damaged: a line cannot be read" + line + ".";
            break;
        case SettingsFileProblem::None:
            break;
    }
    return why + "\n\nNothing was imported.";
}

}  // namespace

CSetupDlg::CSetupDlg(HWND parent) : CDialog(IDD_SETUP, parent) {
    loadWithWindows_ = IsLoadWithWindows();
    integrate_ = IsExplorerVerbInstalled();

    auto& t = Table();
    t.OnCommand(IDC_SETUP_ADD, [this](UINT) { OnAdd(); });
    t.OnCommand(IDC_SETUP_EDIT, [this](UINT) { OnEdit(); });
    t.OnCommand(IDC_SETUP_REMOVE, [this](UINT) { OnRemove(); });
    t.OnCommand(IDC_MOVE_UP, [this](UINT) { OnMoveUp(); });
    t.OnCommand(IDC_MOVE_DOWN, [this](UINT) { OnMoveDown(); });
    t.OnCommand(IDC_SETUP_EXPORT, [this](UINT) { OnExport(); });
    t.OnCommand(IDC_SETUP_IMPORT, [this](UINT) { OnImport(); });
    t.OnCommand(IDC_SHORTCUT_NONE, [this](UINT) { OnShortcutType(ShortcutType::None); });
    t.OnCommand(IDC_SHORTCUT_WINKEY, [this](UINT) { OnShortcutType(ShortcutType::WindowsKey); });
    t.OnCommand(IDC_SHORTCUT_OTHER, [this](UINT) { OnShortcutType(ShortcutType::HotKey); });
    t.OnNotify(IDC_FOLDER_LIST, NM_DBLCLK, [this](NMHDR*) -> LRESULT {
        OnEdit();
        return 0;
    });
    t.OnNotify(IDC_FOLDER_LIST, LVN_ITEMCHANGED, [this](NMHDR*) -> LRESULT {
        UpdateEditButtons();
        return 0;
    });
    // The list asks for a row's image when it first draws the row; the
    // dialog is narrow, but the list may ask in either form (same layout).
    for (UINT code : {LVN_GETDISPINFOA, LVN_GETDISPINFOW})
        t.OnNotify(IDC_FOLDER_LIST, code, [this](NMHDR* h) -> LRESULT {
            return OnGetDispInfo(reinterpret_cast<NMLVDISPINFOA*>(h)->item);
        });
    t.OnNotify(IDC_FOLDER_LIST, NM_CUSTOMDRAW, [this](NMHDR* h) -> LRESULT {
        return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(h));
    });
    t.OnMessage(WM_DESTROY, [this](WPARAM, LPARAM) -> LRESULT {
        // The row images are the dialog's: the list must not destroy them.
        if (list_.hwnd_) list_.SetImageList(nullptr, LVSIL_SMALL);
        return Default();
    });
}

std::string CSetupDlg::HomePageCaption() { return kProductWebHost; }
std::string CSetupDlg::HomePageAddress() { return ProductWebPage("/"); }

std::string CSetupDlg::VersionText(const std::string& programPath) {
    const auto v = ReadProductVersion(programPath);
    if (!v) return {};
    return "Version " + std::to_string(v->major) + '.' + std::to_string(v->minor) + '.' +
           std::to_string(v->build);
}

void CSetupDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, IDC_ACTION, actionBox_);
    DDX_Control(dx, IDC_FOLDERS_CAPTION, foldersCaption_);
    DDX_Control(dx, IDC_GENERAL_CAPTION, generalCaption_);
    DDX_Control(dx, IDC_SHORTCUT_CAPTION, shortcutCaption_);
    DDX_Control(dx, IDC_MOUSE_CAPTION, mouseCaption_);
    DDX_Control(dx, IDC_HOME_PAGE, homePage_);
    DDX_Control(dx, IDC_WINDOWS_KEY, letterBox_);
    DDX_Control(dx, IDC_HOTKEY, hotKey_);
    DDX_Control(dx, IDC_FOLDER_LIST, list_);
    DDX_Control(dx, IDC_MOVE_DOWN, moveDown_);
    DDX_Control(dx, IDC_MOVE_UP, moveUp_);
    DDX_Text(dx, IDC_VERSION, versionText_);
    DDX_Check(dx, IDC_LOAD_WITH_WINDOWS, loadWithWindows_);
    DDX_Check(dx, IDC_INTEGRATE, integrate_);
    DDX_CBIndex(dx, IDC_WINDOWS_KEY, letterIndex_);
    DDX_CBIndex(dx, IDC_ACTION, settings_.action);
    DDX_Check(dx, IDC_SHOW_TRAY, settings_.showTray);
    DDX_Check(dx, IDC_ALWAYS_NEW_EXPLORER, settings_.alwaysNewExplorer);
    DDX_Check(dx, IDC_ACTIVATE_RBUTTON, settings_.activateOnRButtonDown);
    DDX_Check(dx, IDC_ACTIVATE_WHEEL, settings_.activateOnMouseWheel);
    DDX_Check(dx, IDC_SHOW_OPEN_FOLDERS, settings_.showOpenFolders);
    DDX_Check(dx, IDC_AUTO_SWITCH, settings_.autoSwitch);
}

BOOL CSetupDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    HINSTANCE inst = GetModuleHandleA(nullptr);
    SetWindowLongPtrA(hwnd_, GWL_EXSTYLE, GetWindowLongPtrA(hwnd_, GWL_EXSTYLE) | WS_EX_APPWINDOW);
    const int dpi = DpiForWindow(hwnd_);
    const int iconSize = SmallIconSizeForDpi(dpi);
    appIcon_ = LoadIconA(inst, MAKEINTRESOURCEA(IDR_MAINFRAME));
    appSmallIcon_.Reset(static_cast<HICON>(
        LoadImageA(inst, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, iconSize, iconSize, 0)));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(appIcon_));
    SendMessage(WM_SETICON, ICON_SMALL,
                reinterpret_cast<LPARAM>(appSmallIcon_ ? appSmallIcon_.Get() : appIcon_));

    list_.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    const int initial = folders_.empty() ? 1 : static_cast<int>(folders_.size());
    rowImages_.Create(iconSize, iconSize, ILC_COLOR32 | ILC_MASK, initial, 1);
    list_.SetImageList(rowImages_.GetSafeHandle(), LVSIL_SMALL);

    const RECT client = list_.GetClientRect();
    const int width = (client.right - client.left - GetSystemMetrics(SM_CXVSCROLL)) / 2;
    list_.InsertColumn(0, "Title", width);
    list_.InsertColumn(1, "Path", width);
    for (const auto& kv : folders_) AddRow(kv.second, kv.first);
    SortRows();

    moveUpIcon_.Reset(static_cast<HICON>(
        LoadImageA(inst, MAKEINTRESOURCEA(IDI_MOVE_UP), IMAGE_ICON, iconSize, iconSize, 0)));
    moveDownIcon_.Reset(static_cast<HICON>(
        LoadImageA(inst, MAKEINTRESOURCEA(IDI_MOVE_DOWN), IMAGE_ICON, iconSize, iconSize, 0)));
    moveUp_.SetIcon(moveUpIcon_.Get());
    moveDown_.SetIcon(moveDownIcon_.Get());

    ShowSettings();
    // Without the key's name there is nothing to name in a file.
    ::EnableWindow(::GetDlgItem(hwnd_, IDC_SETUP_EXPORT), !programKey_.empty());
    ::EnableWindow(::GetDlgItem(hwnd_, IDC_SETUP_IMPORT), !programKey_.empty());

    versionText_ = VersionText(ProgramFilePath());

    // The link always shows the link colour.
    CqvHyperLink::Palette palette = homePage_.GetPalette();
    palette.active = palette.visited = palette.link;
    homePage_.SetPalette(palette);
    homePage_.SetCaption(HomePageCaption());
    homePage_.SetTarget(HomePageAddress());

    SetForegroundWindow();
    UpdateData(false);
    UpdateEditButtons();
    ::SetFocus(::GetDlgItem(hwnd_, IDOK));
    return FALSE;  // the focus is set
}

void CSetupDlg::ShowSettings() {
    // A type the dialog does not know works as none; show it as such.
    const ShortcutType type = settings_.shortcutType;
    if (type != ShortcutType::WindowsKey && type != ShortcutType::HotKey)
        settings_.shortcutType = ShortcutType::None;
    CheckRadioButton(hwnd_, IDC_SHORTCUT_NONE, IDC_SHORTCUT_OTHER,
                     IDC_SHORTCUT_NONE + StoredShortcutType(settings_.shortcutType));
    letterBox_.EnableWindow(settings_.shortcutType == ShortcutType::WindowsKey);
    hotKey_.EnableWindow(settings_.shortcutType == ShortcutType::HotKey);
    ::EnableWindow(::GetDlgItem(hwnd_, IDC_HOTKEY_WIN),
                   settings_.shortcutType == ShortcutType::HotKey);

    // Prefix search from item 1 on, wrapping to item 0: the stored letter's item.
    letterIndex_ =
        settings_.windowsKey.empty()
            ? -1
            : static_cast<int>(letterBox_.SendMessage(
                  CB_FINDSTRING, 0, reinterpret_cast<LPARAM>(settings_.windowsKey.c_str())));
    if (letterIndex_ < 0) letterIndex_ = -1;

    // The control knows Shift, Ctrl, Alt and the extended bit; the Windows
    // key, which it cannot show, has the check box beside it.
    hotKey_.SetHotKey(settings_.normalHotKeyVirtualKey,
                      static_cast<WORD>(settings_.normalHotKeyModifier & ~kHotKeyWinBit & 0xFF));
    ::CheckDlgButton(
        hwnd_, IDC_HOTKEY_WIN,
        (settings_.normalHotKeyModifier & kHotKeyWinBit) ? BST_CHECKED : BST_UNCHECKED);

    // A stored 2 behaves as "Open"; the box offers only "Open" and "Explore".
    if (settings_.action != 1) settings_.action = 0;
}

int CSetupDlg::Tell(const std::string& text, UINT type) {
    return askUser ? askUser(hwnd_, text, type) : MessageBoxA(hwnd_, text.c_str(), "Vantrel", type);
}

int CSetupDlg::AddRowImage(const FolderEntry& e) {
    const int size = rowImages_.GetImageSize().cx;
    if (UniqueIcon icon{LoadIconOfSize(e.iconFile, e.iconIndex, size)})
        return rowImages_.Add(icon.Get());
    // The default picture, also for an icon that cannot be had; added once.
    return rowImageOf_.Get(kDefaultIconKey, [&] {
        UniqueBitmap folder(DefaultFolderBitmap(size));
        return folder ? rowImages_.Add(folder.Get(), kBitmapMaskColor) : -1;
    });
}

int CSetupDlg::RowImage(const FolderEntry& e) {
    // The menu's rule: one image per icon, whatever the case of its path.
    return rowImageOf_.Get(IconCacheKey(e), [&] { return AddRowImage(e); });
}

int CSetupDlg::ImageOfRow(int row) {
    const int image = list_.GetItemImage(row);
    if (image != I_IMAGECALLBACK) return image;
    auto it = folders_.find(static_cast<int>(list_.GetItemData(row)));
    return it == folders_.end() ? -1 : RowImage(it->second);
}

LRESULT CSetupDlg::OnGetDispInfo(LVITEMA& item) {
    if (!(item.mask & LVIF_IMAGE)) return 0;
    auto it = folders_.find(static_cast<int>(list_.GetItemData(item.iItem)));
    item.iImage = it == folders_.end() ? -1 : RowImage(it->second);
    // Kept by the list from now on: asked once per row.
    item.mask |= LVIF_DI_SETITEM;
    return 0;
}

int CSetupDlg::AddRow(const FolderEntry& e, int key) {
    const int row = list_.InsertItem(list_.GetItemCount(), e.title, I_IMAGECALLBACK);
    if (row < 0) return row;
    list_.SetItemText(row, 1, e.path);
    list_.SetItemData(row, key);
    return row;
}

void CSetupDlg::SortRows() { list_.SortItems(CompareKeys, 0); }

void CSetupDlg::SelectRow(int row) {
    list_.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    list_.EnsureVisible(row);
}

void CSetupDlg::UpdateEditButtons() {
    const bool selected = list_.GetFirstSelected() >= 0;
    ::EnableWindow(::GetDlgItem(hwnd_, IDC_SETUP_EDIT), selected);
    ::EnableWindow(::GetDlgItem(hwnd_, IDC_SETUP_REMOVE), selected);
}

LRESULT CSetupDlg::OnCustomDraw(NMLVCUSTOMDRAW* cd) {
    switch (cd->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYPOSTPAINT;
        case CDDS_ITEMPOSTPAINT: {
            // The selected row's icon without the selection tint.
            const int row = static_cast<int>(cd->nmcd.dwItemSpec);
            if (!(list_.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED)) return CDRF_DODEFAULT;
            const RECT icon = list_.GetItemRect(row, LVIR_ICON);
            rowImages_.Draw(cd->nmcd.hdc, ImageOfRow(row), POINT{icon.left, icon.top},
                            ILD_TRANSPARENT);
            return CDRF_SKIPDEFAULT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

void CSetupDlg::OnAdd() {
    std::string path;
    if (GetKeyState(VK_SHIFT) < 0) {
        // With Shift a file may be chosen instead of a folder.
        CFileDialog files(true, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                          "All Files (*.*)|*.*||", hwnd_);
        if (files.DoModal() != IDOK) return;
        path = files.GetPathName();
    } else if (!BrowseForFolder(path, hwnd_)) {
        return;
    }
    if (path.empty()) return;

    CFolderEditDlg editor(hwnd_);
    editor.path_ = path;
    editor.title_ = path;
    FindDefaultIcon(path, editor.iconFile_, editor.iconIndex_);
    if (editor.DoModal() != IDOK) return;

    const int key = NextFolderKey(folders_);
    const FolderEntry entry{editor.path_, editor.title_, editor.iconFile_, editor.iconIndex_};
    const int row = AddRow(entry, key);
    folders_[key] = entry;
    if (row >= 0) SelectRow(row);
}

void CSetupDlg::OnEdit() {
    const int row = list_.GetFirstSelected();
    if (row < 0) return;
    auto it = folders_.find(static_cast<int>(list_.GetItemData(row)));
    if (it == folders_.end()) return;
    FolderEntry& entry = it->second;

    CFolderEditDlg editor(hwnd_);
    editor.path_ = entry.path;
    editor.title_ = entry.title;
    editor.iconFile_ = entry.iconFile;
    editor.iconIndex_ = entry.iconIndex;
    if (editor.DoModal() == IDOK) {
        entry = FolderEntry{editor.path_, editor.title_, editor.iconFile_, editor.iconIndex_};
        list_.SetItemText(row, 0, entry.title);
        list_.SetItemText(row, 1, entry.path);
        list_.SetItemImage(row, RowImage(entry));
    }
    list_.RedrawItems(row, row);
}

void CSetupDlg::OnRemove() {
    const int row = list_.GetFirstSelected();
    if (row < 0) return;
    const std::string question = "Are you sure you want to delete this item?";
    const UINT type = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
    if (Tell(question, type) != IDYES) return;
    folders_.erase(static_cast<int>(list_.GetItemData(row)));
    list_.DeleteItem(row);
    // No row is selected any more: Edit and Remove have nothing to act on.
    UpdateEditButtons();
}

void CSetupDlg::OnMoveUp() { MoveSelected(-1); }
void CSetupDlg::OnMoveDown() { MoveSelected(+1); }

void CSetupDlg::MoveSelected(int step) {
    const int i = list_.GetFirstSelected();
    if (i < 0) return;
    const int j = i + step;
    if (j < 0 || j >= list_.GetItemCount()) return;
    const int a = static_cast<int>(list_.GetItemData(i));
    const int b = static_cast<int>(list_.GetItemData(j));
    auto ea = folders_.find(a), eb = folders_.find(b);
    if (ea == folders_.end() || eb == folders_.end()) return;
    // Keys stay with their rows' positions; the entries change keys.
    list_.SetItemData(i, b);
    list_.SetItemData(j, a);
    std::swap(ea->second, eb->second);
    SortRows();
    SelectRow(j);
}

void CSetupDlg::OnShortcutType(ShortcutType type) {
    settings_.shortcutType = type;
    for (int t = 0; t < 3; ++t)
        ::SendDlgItemMessageA(hwnd_, IDC_SHORTCUT_NONE + t, BM_SETCHECK,
                              t == StoredShortcutType(type) ? BST_CHECKED : BST_UNCHECKED, 0);
    letterBox_.EnableWindow(type == ShortcutType::WindowsKey);
    hotKey_.EnableWindow(type == ShortcutType::HotKey);
    ::EnableWindow(::GetDlgItem(hwnd_, IDC_HOTKEY_WIN), type == ShortcutType::HotKey);
}

void CSetupDlg::OnExport() {
    CFileDialog files(false, "reg", "Vantrel.reg",
                      OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                      kSettingsFileFilter, hwnd_);
    if (files.DoModal() != IDOK) return;
    const std::string path = files.GetPathName();
    // What the dialog shows now, edits not yet confirmed by OK included.
    if (!UpdateData(true)) return;
    const std::string bytes = WriteSettingsFile(folders_, SettingsFromControls(), programKey_);
    if (!WriteWholeFile(path, bytes))
        Tell("Vantrel could not write \"" + path + "\".", MB_OK | MB_ICONEXCLAMATION);
}

void CSetupDlg::OnImport() {
    CFileDialog files(true, "reg", nullptr,
                      OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, kSettingsFileFilter,
                      hwnd_);
    if (files.DoModal() != IDOK) return;
    const std::string path = files.GetPathName();
    std::string bytes;
    bool tooLarge = false;
    if (!ReadWholeFile(path, bytes, kMaxSettingsFileBytes, &tooLarge)) {
        SettingsFileContents large;
        large.problem = SettingsFileProblem::NotRegistryFile;
        Tell(tooLarge ? ImportProblemText(path, large)
                      : "Vantrel could not read \"" + path + "\".\n\nNothing was imported.",
             MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    // The options the file lacks keep what the controls show.
    if (!UpdateData(true)) return;
    SettingsFileContents file = ReadSettingsFile(bytes, SettingsFromControls(), programKey_);
    if (file.problem != SettingsFileProblem::None) {
        Tell(ImportProblemText(path, file), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    const std::string question =
        "Replace the folders and the options in Setup with the " +
        std::to_string(file.folders.size()) + " folders and the options of \"" + path +
        "\"?\n\nYes replaces them. No adds the file's folders after yours and keeps your "
        "options. Cancel imports nothing.\n\nNothing is saved until you press OK.";
    const int answer = Tell(question, MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer != IDYES && answer != IDNO) return;

    // A system image index is only good in the session that looked it up.
    for (auto& kv : file.folders) {
        FolderEntry& e = kv.second;
        if (e.iconFile != kSystemImageListMarker) continue;
        if (!GetSystemIconIndex(e.path, e.iconIndex)) {
            e.iconFile.clear();
            e.iconIndex = -1;
        }
    }
    if (answer == IDYES) {
        list_.SendMessage(LVM_DELETEALLITEMS);
        folders_.clear();
        settings_ = file.settings;
        ShowSettings();
        UpdateData(false);
    }
    int last = -1;
    for (const auto& kv : file.folders) {
        const int key = NextFolderKey(folders_);
        folders_[key] = kv.second;
        last = AddRow(kv.second, key);
    }
    SortRows();
    if (last >= 0) SelectRow(list_.GetItemCount() - 1);
    UpdateEditButtons();
}

AppSettings CSetupDlg::SettingsFromControls() {
    AppSettings s = settings_;
    // No selection (a stored letter that is not offered): the letter stays.
    if (letterIndex_ >= 0) s.windowsKey = letterBox_.GetLBText(letterIndex_);
    const WORD hotKey = hotKey_.GetHotKey();
    s.normalHotKeyVirtualKey = LOBYTE(hotKey);
    s.normalHotKeyModifier = HIBYTE(hotKey);
    if (::IsDlgButtonChecked(hwnd_, IDC_HOTKEY_WIN) == BST_CHECKED)
        s.normalHotKeyModifier |= kHotKeyWinBit;
    return s;
}

void CSetupDlg::OnOK() {
    if (!UpdateData(true)) return;
    const AppSettings& s = settings_;
    if (!s.showTray && !s.activateOnRButtonDown && !s.activateOnMouseWheel &&
        s.shortcutType == ShortcutType::None) {
        const std::string question =
            "You have no way to activate Vantrel. Are you sure you want to do that?";
        const UINT type = MB_YESNO | MB_ICONQUESTION;
        if (Tell(question, type) != IDYES) return;
    }
    // A combination another program holds would not work: said at once,
    // and the dialog stays open, with nothing written, for another choice.
    const AppSettings chosen = SettingsFromControls();
    if (shortcutAvailable && !shortcutAvailable(chosen)) {
        const std::string notice = "Another program uses " + DescribeShortcut(ShortcutOf(chosen)) +
                                   ". Please choose another keyboard shortcut.";
        Tell(notice, MB_OK | MB_ICONEXCLAMATION);
        ::SetFocus(::GetDlgItem(
            hwnd_, chosen.shortcutType == ShortcutType::WindowsKey ? IDC_WINDOWS_KEY : IDC_HOTKEY));
        return;
    }
    WriteShellIntegration(loadWithWindows_, integrate_, ProgramFilePath());
    settings_.windowsKey = chosen.windowsKey;
    settings_.normalHotKeyVirtualKey = chosen.normalHotKeyVirtualKey;
    settings_.normalHotKeyModifier = chosen.normalHotKeyModifier;
    CDialog::OnOK();
}

}  // namespace vt
