#include "dialogs/foldereditdlg.h"

#include <shellapi.h>

#include "dialogs/browseforfolder.h"
#include "shell/iconsources.h"
#include "dialogs/webpages.h"
#include "framework/app.h"
#include "framework/ddx.h"
#include "framework/filedialog.h"
#include "framework/text.h"
#include "resources/resource.h"
#include "uikit/menu/titlemenu.h"

namespace vt {

namespace {
const char* kFillBothFields = "You must fill both fields";
constexpr UINT kBringToFront = WM_APP + 1;
const char* kIconFilter = "Icon Files (*.dll;*.exe;*.ico)|*.dll;*.exe;*.ico|All Files (*.*)|*.*||";

bool IsMainWindow(HWND w) {
    CWinApp* app = GetApp();
    return w && app && app->MainWindowHandle() == w;
}

std::string AppTitle() {
    CWinApp* app = GetApp();
    return app && !app->appName_.empty() ? app->appName_ : "Vantrel";
}
}  // namespace

std::string IconMenuTitle(const std::string& iconFile) {
    return iconFile == kSystemImageListMarker ? "System Special Icon" : iconFile;
}

CFolderEditDlg::CFolderEditDlg(HWND parent) : CDialog(IDD_ADDEDIT, parent) {
    showMessage = [](HWND owner, const std::string& text) {
        MessageBoxA(owner, text.c_str(), AppTitle().c_str(), MB_OK);
    };
    openWebPage = [](const std::string& url) {
        ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    };
    auto& t = Table();
    t.OnMessage(kBringToFront, [this](WPARAM, LPARAM) -> LRESULT {
        SetForegroundWindow();
        return 0;
    });
    t.OnCommand(IDC_BROWSE, [this](UINT) { OnBrowse(); });
    t.OnCommand(IDC_FORMAT, [this](UINT) { OnFormat(); });
    t.OnCommand(IDC_ICON_OPTIONS, [this](UINT) { OnIconMenu(); });
    t.OnCommand(ID_ICON_RESET, [this](UINT) { OnResetIcon(); });
    t.OnCommand(ID_ICON_SYSTEM_FILE, [this](UINT) { OnUseSystemIconFile(); });
    t.OnCommand(ID_ICON_CUSTOM_FILE, [this](UINT) { OnChooseIconFile(); });
    t.OnCommand(ID_ICON_MORE, [this](UINT) { OnMoreIcons(); });
}

void CFolderEditDlg::DoDataExchange(CDataExchange& dx) {
    DDX_Control(dx, IDC_ICON_CAPTION, iconCaption_);
    DDX_Control(dx, IDC_TITLE_CAPTION, titleCaption_);
    DDX_Control(dx, IDC_PATH_CAPTION, pathCaption_);
    DDX_Control(dx, IDC_BUTTON_LINE, buttonLine_);
    DDX_Control(dx, IDC_ICON_PICKER, iconPicker_);
    DDX_Control(dx, IDC_BROWSE, browseButton_);
    DDX_Text(dx, IDC_PATH, path_);
    DDX_Text(dx, IDC_TITLE, title_);
    // The icon file travels through a hidden static and is never shown.
    DDX_Text(dx, IDC_ICON_FILE, iconFile_);
}

BOOL CFolderEditDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (IsMainWindow(parent_)) {
        // Opened for a folder handed over from outside: the dialog stands on
        // its own, with a taskbar button and the program's icon.
        SetWindowLongPtrA(hwnd_, GWL_EXSTYLE,
                          GetWindowLongPtrA(hwnd_, GWL_EXSTYLE) | WS_EX_APPWINDOW);
        HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
        // Shown for a hand-over the user just made, from another program:
        // once visible, the dialog takes the front.
        PostMessage(kBringToFront);
    }
    if (iconFile_.empty()) iconFile_ = GetDefaultIconFile();
    // A shared resource icon: the button only shows it.
    browseButton_.SetIcon(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_BROWSE)));
    UpdateData(false);
    RefillPicker();
    return TRUE;
}

void CFolderEditDlg::RefillPicker() {
    iconPicker_.ResetContent();  // destroys the items' icons
    iconPicker_.AddResourceIconItem(IDI_DEFAULT_FOLDER);
    if (iconFile_ != kSystemImageListMarker) {
        const UINT count = ExtractIconExA(iconFile_.c_str(), -1, nullptr, nullptr, 0);
        // Icon k of the file lands at item k + 1 under id k + 1. An icon is
        // made when its item is first shown: a file of hundreds of icons
        // would otherwise hold the dialog back for all of them.
        const std::string file = iconFile_;
        iconPicker_.SetIconLoader(
            [file](int id, int size) { return LoadIconOfSize(file, id - 1, size); });
        if (count != static_cast<UINT>(-1))
            for (UINT k = 0; k < count; ++k)
                iconPicker_.AddDeferredIconItem(static_cast<int>(k) + 1);
    } else {
        iconPicker_.AddIconItem(
            1, LoadIconOfSize(kSystemImageListMarker, iconIndex_, iconPicker_.IconSize()));
    }
    int selection = iconIndex_ + 1;
    if (iconFile_ == kSystemImageListMarker)
        selection = 1;
    else if (iconIndex_ == -1)
        selection = 0;
    if (selection >= 0 && selection < iconPicker_.GetCount())
        iconPicker_.SetCurSel(selection);
    else
        iconPicker_.SetCurSel(-1);
}

void CFolderEditDlg::OnBrowse() {
    UpdateData(true);
    std::string path = path_;
    if (!BrowseForFolder(path, hwnd_)) return;
    path_ = path;
    if (title_.empty()) title_ = path_;
    FindDefaultIcon(path_, iconFile_, iconIndex_);
    if (iconFile_.empty()) {
        iconFile_ = GetDefaultIconFile();
        iconIndex_ = -1;
    }
    UpdateData(false);
    RefillPicker();
}

void CFolderEditDlg::OnFormat() {
    UpdateData(true);
    // Asked in UTF-16: the narrow answer is cut at 260 bytes.
    SHFILEINFOW info = {};
    if (!title_.empty() &&
        SHGetFileInfoW(ToWide(title_).c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME))
        title_ = ToNarrow(info.szDisplayName);
    UpdateData(false);
}

void CFolderEditDlg::OnIconMenu() {
    CTitleMenu menu;
    if (!menu.CreatePopupMenu()) return;
    menu.AddTitle(IconMenuTitle(iconFile_).c_str());
    menu.clLeft = menu.clRight = GetSysColor(COLOR_INACTIVECAPTION);
    menu.clText = GetSysColor(COLOR_INACTIVECAPTIONTEXT);
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, ID_ICON_RESET, "Reset to default icon");
    if (iconFile_ != GetDefaultIconFile())
        menu.AppendMenu(MF_STRING, ID_ICON_SYSTEM_FILE, "Use default system icon file");
    menu.AppendMenu(MF_STRING, ID_ICON_CUSTOM_FILE, "Choose custom icon file...");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING, ID_ICON_MORE, "Get more icons");
    const RECT button = GetDlgItem(IDC_ICON_OPTIONS).GetWindowRect();
    menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, button.right, button.top - 1, hwnd_);
}

void CFolderEditDlg::OnResetIcon() {
    UpdateData(true);
    FindDefaultIcon(path_, iconFile_, iconIndex_);
    // Unlike Browse, the index stays as the default-icon rule left it.
    if (iconFile_.empty()) iconFile_ = GetDefaultIconFile();
    UpdateData(false);
    RefillPicker();
}

void CFolderEditDlg::OnUseSystemIconFile() {
    UpdateData(true);
    iconFile_ = GetDefaultIconFile();
    iconIndex_ = 0;
    UpdateData(false);
    RefillPicker();
}

void CFolderEditDlg::OnChooseIconFile() {
    UpdateData(true);
    CFileDialog dlg(true, ".ico", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, kIconFilter,
                    hwnd_);
    if (dlg.DoModal() != IDOK) return;
    iconFile_ = dlg.GetPathName();
    iconIndex_ = 0;
    UpdateData(false);
    RefillPicker();
}

void CFolderEditDlg::OnMoreIcons() {
    if (openWebPage) openWebPage(ProductWebPage(kIconPagePath));
}

void CFolderEditDlg::OnOK() {
    UpdateData(true);
    if (path_.empty() || title_.empty()) {
        if (showMessage) showMessage(hwnd_, kFillBothFields);
        return;
    }
    const int selection = iconPicker_.GetCurSel();
    if (selection == -1 || selection == 0) {
        iconFile_ = GetDefaultIconFile();
        iconIndex_ = -1;
    } else if (iconFile_ != kSystemImageListMarker) {
        iconIndex_ = selection - 1;
    }
    UpdateData(false);
    CDialog::OnOK();
}

}  // namespace vt
