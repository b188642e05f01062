// The Setup dialog (template 130): edits a working copy of the folder list and
// of the options. The caller fills the folders and the settings, runs the
// dialog and, after OK, takes both back. "Load with Windows" and the Explorer
// verb are read when the dialog is made and written by its OK.
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <string>

#include "model/folderlist.h"
#include "dialogs/hyperlink.h"
#include "framework/button.h"
#include "framework/combobox.h"
#include "framework/dialog.h"
#include "framework/imagelist.h"
#include "framework/listctrl.h"
#include "uikit/staticseparator.h"

namespace vt {

// The 19 letters the Windows-key shortcut offers, in the letter box's order.
inline constexpr const char* kShortcutLetters = "ABCGHIJKNOPQSTVWXYZ";

class CSetupDlg : public CDialog {
public:
    explicit CSetupDlg(HWND parent);

    // Questions to the user (the remove and no-activation questions): a
    // message box over the dialog unless replaced. Returns IDYES or IDNO.
    std::function<int(HWND owner, const std::string& text, UINT type)> askUser;

    // The home-page link (how it opens its address can be replaced).
    CqvHyperLink& HomePageLink() { return m_homePage; }

    // The address the home-page link opens, and the text it shows.
    static std::string HomePageCaption();
    static std::string HomePageAddress();
    // "Version major.minor.build" of a program file; empty without a version.
    static std::string VersionText(const std::string& programPath);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    void OnOK() override;

    void OnAdd();
    void OnEdit();
    void OnRemove();
    void OnMoveUp();
    void OnMoveDown();
    void OnShortcutType(int type);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW* cd);
    void UpdateEditButtons();

    // Appends the row image of an entry to the row images; its index, or -1
    // when none could be made.
    virtual int AddRowImage(const FolderEntry& entry);
    // The row image of an entry: made once per icon (file and index) while
    // the dialog lives, so that folders with the same icon share it.
    int RowImage(const FolderEntry& entry);
    // The image a row shows, made now if the row has not been drawn yet.
    int ImageOfRow(int row);
    // Adds a row at the end for an entry stored under key; the row's index.
    // Its image is made when the row is first drawn: a long list opens with
    // the images of the rows in view only.
    int AddRow(const FolderEntry& entry, int key);
    LRESULT OnGetDispInfo(LVITEMA& item);
    // Moves the selected row's folder one row up (-1) or down (+1).
    void MoveSelected(int step);
    void SelectRow(int row);
    void SortRows();

private:
    CComboBox m_actionBox;                 // 1007
    CStaticSeparator m_foldersCaption;     // 1025
    CStaticSeparator m_generalCaption;     // 1026
    CStaticSeparator m_shortcutCaption;    // 1027
    CStaticSeparator m_mouseCaption;       // 1028
    CqvHyperLink m_homePage;               // 1021
    CComboBox m_letterBox;                 // 1011
    CHotKeyCtrl m_hotKey;                  // 1012
    CListCtrl m_list;                      // 1013
    CButton m_moveDown;                    // 1015
    CButton m_moveUp;                      // 1014

public:
    std::string m_versionText;             // static 1019
    bool m_loadWithWindows = false;        // check box 1005
    bool m_integrate = false;              // check box 1032
    int m_letterIndex = -1;                // letter box selection
    FolderList m_folders;                  // the working copy of the list
    AppSettings m_settings;                // the working copy of the options

private:
    CImageList m_rowImages;                // owned; the list's small images
    std::map<std::string, int> m_rowImageOf;  // icon (file and index) -> row image
    UniqueIcon m_moveUpIcon;               // owned; shown by 1014
    UniqueIcon m_moveDownIcon;             // owned; shown by 1015
    HICON m_appIcon = nullptr;             // shared resource icon: never destroyed
    UniqueIcon m_appSmallIcon;             // owned
};

}  // namespace vt
