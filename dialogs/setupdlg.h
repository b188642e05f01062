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
#include "model/picturecache.h"
#include "uikit/controls/hyperlink.h"
#include "framework/button.h"
#include "framework/combobox.h"
#include "framework/dialog.h"
#include "framework/imagelist.h"
#include "framework/listctrl.h"
#include "uikit/controls/staticseparator.h"

namespace vt {

// The 19 letters the Windows-key shortcut offers, in the letter box's order.
inline constexpr const char* kShortcutLetters = "ABCGHIJKNOPQSTVWXYZ";

class CSetupDlg : public CDialog {
public:
    explicit CSetupDlg(HWND parent);

    // Questions to the user (the remove and no-activation questions): a
    // message box over the dialog unless replaced. Returns IDYES or IDNO.
    std::function<int(HWND owner, const std::string& text, UINT type)> askUser;

    // Asked by OK whether the system gives the shortcut the dialog would
    // store; when it answers no, OK says so and the dialog stays open. Not
    // set: every shortcut is taken as available.
    std::function<bool(const AppSettings&)> shortcutAvailable;

    // The program key's full name as the settings file names it
    // ("HKEY_CURRENT_USER\Software\...\Vantrel"); set by the caller.
    // Without it, "Export..." and "Import..." are disabled.
    std::string programKey_;

    // The home-page link (how it opens its address can be replaced).
    CqvHyperLink& HomePageLink() { return homePage_; }

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
    void OnShortcutType(ShortcutType type);
    // The list and the options (as the controls show them) to a file the
    // user picks; a file read back into the copies, replacing or appending.
    void OnExport();
    void OnImport();
    // The options' controls from settings_ (the shortcut, the letter, the
    // hot key, the action); UpdateData(false) does the rest.
    void ShowSettings();
    // A message box over the dialog, through askUser when set.
    int Tell(const std::string& text, UINT type);
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
    // The options as OK would store them: the letter and the hot key read
    // from their controls.
    AppSettings SettingsFromControls();
    // Moves the selected row's folder one row up (-1) or down (+1).
    void MoveSelected(int step);
    void SelectRow(int row);
    void SortRows();

private:
    CComboBox actionBox_;               // 1007
    CStaticSeparator foldersCaption_;   // 1025
    CStaticSeparator generalCaption_;   // 1026
    CStaticSeparator shortcutCaption_;  // 1027
    CStaticSeparator mouseCaption_;     // 1028
    CqvHyperLink homePage_;             // 1021
    CComboBox letterBox_;               // 1011
    CHotKeyCtrl hotKey_;                // 1012
    CListCtrl list_;                    // 1013
    CButton moveDown_;                  // 1015
    CButton moveUp_;                    // 1014

public:
    std::string versionText_;       // static 1019
    bool loadWithWindows_ = false;  // check box 1005
    bool integrate_ = false;        // check box 1032
    int letterIndex_ = -1;          // letter box selection
    FolderList folders_;            // the working copy of the list
    AppSettings settings_;          // the working copy of the options

private:
    CImageList rowImages_;      // owned; the list's small images
    CPictureCache rowImageOf_;  // row image of each icon
    UniqueIcon moveUpIcon_;     // owned; shown by 1014
    UniqueIcon moveDownIcon_;   // owned; shown by 1015
    HICON appIcon_ = nullptr;   // shared resource icon: never destroyed
    UniqueIcon appSmallIcon_;   // owned
};

}  // namespace vt
