#include "dialogs/setupdlg.h"

#include <stdio.h>

#include "dialogs/browseforfolder.h"
#include "dialogs/foldereditdlg.h"
#include "dialogs/iconsources.h"
#include "dialogs/shellintegration.h"
#include "dialogs/systemimagelist.h"
#include "dialogs/webpages.h"
#include "framework/ddx.h"
#include "framework/dpi.h"
#include "framework/filedialog.h"
#include "framework/module.h"
#include "resources/resource.h"

namespace vt {

namespace {

constexpr COLORREF kBitmapMask = RGB(255, 0, 128);

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

// One icon of a file at the given size; the caller owns it.
HICON ExtractFileIcon(const std::string& file, int index, int size) {
    HICON icon = nullptr;
    if (size == GetSystemMetrics(SM_CXSMICON)) {
        if (ExtractIconExA(file.c_str(), index, nullptr, &icon, 1) != 1) icon = nullptr;
        return icon;
    }
    // Another DPI than the system's: ask for the size itself.
    UINT id = 0;
    if (PrivateExtractIconsA(file.c_str(), index, size, size, &icon, &id, 1, 0) != 1) return nullptr;
    return icon;
}

}  // namespace

CSetupDlg::CSetupDlg(HWND parent) : CDialog(IDD_SETUP, parent) {
    m_loadWithWindows = IsLoadWithWindows();
    m_integrate = IsExplorerVerbInstalled();

    auto& t = Table();
    t.OnCommand(IDC_SETUP_ADD, [this](UINT) { OnAdd(); });
    t.OnCommand(IDC_SETUP_EDIT, [this](UINT) { OnEdit(); });
    t.OnCommand(IDC_SETUP_REMOVE, [this](UINT) { OnRemove(); });
    t.OnCommand(IDC_MOVE_UP, [this](UINT) { OnMoveUp(); });
    t.OnCommand(IDC_MOVE_DOWN, [this](UINT) { OnMoveDown(); });
    t.OnCommand(IDC_SHORTCUT_NONE, [this](UINT) { OnShortcutType(0); });
    t.OnCommand(IDC_SHORTCUT_WINKEY, [this](UINT) { OnShortcutType(1); });
    t.OnCommand(IDC_SHORTCUT_OTHER, [this](UINT) { OnShortcutType(2); });
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
        if (m_list.m_hWnd) m_list.SetImageList(nullptr, LVSIL_SMALL);
        return Default();
    });
}

std::string CSetupDlg::HomePageCaption() { return kProductWebHost; }
std::string CSetupDlg::HomePageAddress() { return ProductWebPage("/"); }

std::string CSetupDlg::VersionText(const std::string& programPath) {
    const auto v = ReadProductVersion(programPath);
    if (!v) return {};
    char text[64];
    snprintf(text, sizeof text, "Version %d.%d.%d", v->major, v->minor, v->build);
    return text;
}

void CSetupDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, IDC_ACTION, m_actionBox);
    DDX_Control(dx, IDC_FOLDERS_CAPTION, m_foldersCaption);
    DDX_Control(dx, IDC_GENERAL_CAPTION, m_generalCaption);
    DDX_Control(dx, IDC_SHORTCUT_CAPTION, m_shortcutCaption);
    DDX_Control(dx, IDC_MOUSE_CAPTION, m_mouseCaption);
    DDX_Control(dx, IDC_HOME_PAGE, m_homePage);
    DDX_Control(dx, IDC_WINDOWS_KEY, m_letterBox);
    DDX_Control(dx, IDC_HOTKEY, m_hotKey);
    DDX_Control(dx, IDC_FOLDER_LIST, m_list);
    DDX_Control(dx, IDC_MOVE_DOWN, m_moveDown);
    DDX_Control(dx, IDC_MOVE_UP, m_moveUp);
    DDX_Text(dx, IDC_VERSION, m_versionText);
    DDX_Check(dx, IDC_LOAD_WITH_WINDOWS, m_loadWithWindows);
    DDX_Check(dx, IDC_INTEGRATE, m_integrate);
    DDX_CBIndex(dx, IDC_WINDOWS_KEY, m_letterIndex);
    DDX_CBIndex(dx, IDC_ACTION, m_settings.action);
    DDX_Check(dx, IDC_SHOW_TRAY, m_settings.showTray);
    DDX_Check(dx, IDC_ALWAYS_NEW_EXPLORER, m_settings.alwaysNewExplorer);
    DDX_Check(dx, IDC_ACTIVATE_RBUTTON, m_settings.activateOnRButtonDown);
    DDX_Check(dx, IDC_ACTIVATE_WHEEL, m_settings.activateOnMouseWheel);
}

BOOL CSetupDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    HINSTANCE inst = GetModuleHandleA(nullptr);
    SetWindowLongPtrA(m_hWnd, GWL_EXSTYLE, GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE) | WS_EX_APPWINDOW);
    const int dpi = DpiForWindow(m_hWnd);
    const int iconSize = SmallIconSizeForDpi(dpi);
    m_appIcon = LoadIconA(inst, MAKEINTRESOURCEA(IDR_MAINFRAME));
    m_appSmallIcon.Reset(static_cast<HICON>(LoadImageA(
        inst, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, iconSize, iconSize, 0)));
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_appIcon));
    SendMessage(WM_SETICON, ICON_SMALL,
                reinterpret_cast<LPARAM>(m_appSmallIcon ? m_appSmallIcon.Get() : m_appIcon));

    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    const int initial = m_folders.empty() ? 1 : static_cast<int>(m_folders.size());
    m_rowImages.Create(iconSize, iconSize, ILC_COLOR32 | ILC_MASK, initial, 1);
    m_list.SetImageList(m_rowImages.GetSafeHandle(), LVSIL_SMALL);

    const RECT client = m_list.GetClientRect();
    const int width = (client.right - client.left - GetSystemMetrics(SM_CXVSCROLL)) / 2;
    m_list.InsertColumn(0, "Title", width);
    m_list.InsertColumn(1, "Path", width);
    for (const auto& kv : m_folders) AddRow(kv.second, kv.first);
    SortRows();

    m_moveUpIcon.Reset(static_cast<HICON>(
        LoadImageA(inst, MAKEINTRESOURCEA(IDI_MOVE_UP), IMAGE_ICON, iconSize, iconSize, 0)));
    m_moveDownIcon.Reset(static_cast<HICON>(
        LoadImageA(inst, MAKEINTRESOURCEA(IDI_MOVE_DOWN), IMAGE_ICON, iconSize, iconSize, 0)));
    m_moveUp.SetIcon(m_moveUpIcon.Get());
    m_moveDown.SetIcon(m_moveDownIcon.Get());

    // A type the dialog does not know works as none; show it as such.
    if (m_settings.shortcutType < 0 || m_settings.shortcutType > 2) m_settings.shortcutType = 0;
    CheckRadioButton(m_hWnd, IDC_SHORTCUT_NONE, IDC_SHORTCUT_OTHER,
                     IDC_SHORTCUT_NONE + m_settings.shortcutType);
    m_letterBox.EnableWindow(m_settings.shortcutType == 1);
    m_hotKey.EnableWindow(m_settings.shortcutType == 2);

    // Prefix search from item 1 on, wrapping to item 0: the stored letter's item.
    m_letterIndex = m_settings.windowsKey.empty()
        ? -1
        : static_cast<int>(m_letterBox.SendMessage(
              CB_FINDSTRING, 0, reinterpret_cast<LPARAM>(m_settings.windowsKey.c_str())));
    if (m_letterIndex < 0) m_letterIndex = -1;

    m_hotKey.SetHotKey(m_settings.normalHotKeyVirtualKey, m_settings.normalHotKeyModifier);

    // A stored 2 behaves as "Open"; the box offers only "Open" and "Explore".
    if (m_settings.action != 1) m_settings.action = 0;

    m_versionText = VersionText(ProgramFilePath());

    // The link always shows the link colour.
    CqvHyperLink::Palette palette = m_homePage.GetPalette();
    palette.active = palette.visited = palette.link;
    m_homePage.SetPalette(palette);
    m_homePage.SetCaption(HomePageCaption());
    m_homePage.SetTarget(HomePageAddress());

    SetForegroundWindow();
    UpdateData(false);
    UpdateEditButtons();
    ::SetFocus(::GetDlgItem(m_hWnd, IDOK));
    return FALSE;  // the focus is set
}

int CSetupDlg::AddRowImage(const FolderEntry& e) {
    const int size = m_rowImages.GetImageSize().cx;
    if (e.iconFile == kSystemImageListMarker) {
        UniqueIcon icon(CSystemImageList::Get().ExtractIcon(e.iconIndex, ILD_NORMAL));
        if (icon) return m_rowImages.Add(icon.Get());
    } else if (!e.iconFile.empty() && e.iconIndex != -1) {
        UniqueIcon icon(ExtractFileIcon(e.iconFile, e.iconIndex, size));
        if (icon) return m_rowImages.Add(icon.Get());
    }
    // The default picture, also for an icon that cannot be had; added once.
    auto known = m_rowImageOf.find(std::string());
    if (known != m_rowImageOf.end()) return known->second;
    UniqueBitmap folder(DefaultFolderBitmap(size));
    const int image = folder ? m_rowImages.Add(folder.Get(), kBitmapMask) : -1;
    if (image >= 0) m_rowImageOf[std::string()] = image;
    return image;
}

int CSetupDlg::RowImage(const FolderEntry& e) {
    const std::string icon = e.iconFile == kSystemImageListMarker ||
                                     (!e.iconFile.empty() && e.iconIndex != -1)
                                 ? e.iconFile + "|" + std::to_string(e.iconIndex)
                                 : std::string();  // the default picture
    auto it = m_rowImageOf.find(icon);
    if (it != m_rowImageOf.end()) return it->second;
    const int image = AddRowImage(e);
    if (image >= 0) m_rowImageOf[icon] = image;
    return image;
}

int CSetupDlg::ImageOfRow(int row) {
    const int image = m_list.GetItemImage(row);
    if (image != I_IMAGECALLBACK) return image;
    auto it = m_folders.find(static_cast<int>(m_list.GetItemData(row)));
    return it == m_folders.end() ? -1 : RowImage(it->second);
}

LRESULT CSetupDlg::OnGetDispInfo(LVITEMA& item) {
    if (!(item.mask & LVIF_IMAGE)) return 0;
    auto it = m_folders.find(static_cast<int>(m_list.GetItemData(item.iItem)));
    item.iImage = it == m_folders.end() ? -1 : RowImage(it->second);
    // Kept by the list from now on: asked once per row.
    item.mask |= LVIF_DI_SETITEM;
    return 0;
}

int CSetupDlg::AddRow(const FolderEntry& e, int key) {
    const int row = m_list.InsertItem(m_list.GetItemCount(), e.title, I_IMAGECALLBACK);
    if (row < 0) return row;
    m_list.SetItemText(row, 1, e.path);
    m_list.SetItemData(row, key);
    return row;
}

void CSetupDlg::SortRows() { m_list.SortItems(CompareKeys, 0); }

void CSetupDlg::SelectRow(int row) {
    m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.EnsureVisible(row);
}

void CSetupDlg::UpdateEditButtons() {
    const bool selected = m_list.GetFirstSelected() >= 0;
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SETUP_EDIT), selected);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SETUP_REMOVE), selected);
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
        if (!(m_list.GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED)) return CDRF_DODEFAULT;
        const RECT icon = m_list.GetItemRect(row, LVIR_ICON);
        m_rowImages.Draw(cd->nmcd.hdc, ImageOfRow(row), POINT{icon.left, icon.top},
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
                          "All Files (*.*)|*.*||", m_hWnd);
        if (files.DoModal() != IDOK) return;
        path = files.GetPathName();
    } else if (!BrowseForFolder(path, m_hWnd)) {
        return;
    }
    if (path.empty()) return;

    CFolderEditDlg editor(m_hWnd);
    editor.m_path = path;
    editor.m_title = path;
    FindDefaultIcon(path, editor.m_iconFile, editor.m_iconIndex);
    if (editor.DoModal() != IDOK) return;

    const int key = NextFolderKey(m_folders);
    const FolderEntry entry{editor.m_path, editor.m_title, editor.m_iconFile, editor.m_iconIndex};
    const int row = AddRow(entry, key);
    m_folders[key] = entry;
    if (row >= 0) SelectRow(row);
}

void CSetupDlg::OnEdit() {
    const int row = m_list.GetFirstSelected();
    if (row < 0) return;
    auto it = m_folders.find(static_cast<int>(m_list.GetItemData(row)));
    if (it == m_folders.end()) return;
    FolderEntry& entry = it->second;

    CFolderEditDlg editor(m_hWnd);
    editor.m_path = entry.path;
    editor.m_title = entry.title;
    editor.m_iconFile = entry.iconFile;
    editor.m_iconIndex = entry.iconIndex;
    if (editor.DoModal() == IDOK) {
        entry = FolderEntry{editor.m_path, editor.m_title, editor.m_iconFile, editor.m_iconIndex};
        m_list.SetItemText(row, 0, entry.title);
        m_list.SetItemText(row, 1, entry.path);
        m_list.SetItemImage(row, RowImage(entry));
    }
    m_list.RedrawItems(row, row);
}

void CSetupDlg::OnRemove() {
    const int row = m_list.GetFirstSelected();
    if (row < 0) return;
    const std::string question = "Are you sure you want to delete this item?";
    const UINT type = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2;
    const int answer = askUser ? askUser(m_hWnd, question, type)
                               : MessageBoxA(m_hWnd, question.c_str(), "Vantrel", type);
    if (answer != IDYES) return;
    m_folders.erase(static_cast<int>(m_list.GetItemData(row)));
    m_list.DeleteItem(row);
    // No row is selected any more: Edit and Remove have nothing to act on.
    UpdateEditButtons();
}

void CSetupDlg::OnMoveUp() { MoveSelected(-1); }
void CSetupDlg::OnMoveDown() { MoveSelected(+1); }

void CSetupDlg::MoveSelected(int step) {
    const int i = m_list.GetFirstSelected();
    if (i < 0) return;
    const int j = i + step;
    if (j < 0 || j >= m_list.GetItemCount()) return;
    const int a = static_cast<int>(m_list.GetItemData(i));
    const int b = static_cast<int>(m_list.GetItemData(j));
    auto ea = m_folders.find(a), eb = m_folders.find(b);
    if (ea == m_folders.end() || eb == m_folders.end()) return;
    // Keys stay with their rows' positions; the entries change keys.
    m_list.SetItemData(i, b);
    m_list.SetItemData(j, a);
    std::swap(ea->second, eb->second);
    SortRows();
    SelectRow(j);
}

void CSetupDlg::OnShortcutType(int type) {
    m_settings.shortcutType = type;
    for (int t = 0; t < 3; ++t)
        ::SendDlgItemMessageA(m_hWnd, IDC_SHORTCUT_NONE + t, BM_SETCHECK,
                              t == type ? BST_CHECKED : BST_UNCHECKED, 0);
    m_letterBox.EnableWindow(type == 1);
    m_hotKey.EnableWindow(type == 2);
}

void CSetupDlg::OnOK() {
    if (!UpdateData(true)) return;
    const AppSettings& s = m_settings;
    if (!s.showTray && !s.activateOnRButtonDown && !s.activateOnMouseWheel && s.shortcutType == 0) {
        const std::string question =
            "You have no way to activate Vantrel. Are you sure you want to do that?";
        const UINT type = MB_YESNO | MB_ICONQUESTION;
        const int answer = askUser ? askUser(m_hWnd, question, type)
                                   : MessageBoxA(m_hWnd, question.c_str(), "Vantrel", type);
        if (answer != IDYES) return;
    }
    WriteShellIntegration(m_loadWithWindows, m_integrate, ProgramFilePath());
    // No selection (a stored letter that is not offered): the letter stays.
    if (m_letterIndex >= 0) m_settings.windowsKey = m_letterBox.GetLBText(m_letterIndex);
    const WORD hotKey = m_hotKey.GetHotKey();
    m_settings.normalHotKeyVirtualKey = LOBYTE(hotKey);
    m_settings.normalHotKeyModifier = HIBYTE(hotKey);
    CDialog::OnOK();
}

}  // namespace vt
