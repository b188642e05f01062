// The folder editor ("Add/Edit", template 137): one folder's path, menu
// title and icon. The caller sets the four fields, runs the dialog and, after
// OK, reads them back.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "dialogs/smalliconcombobox.h"
#include "framework/button.h"
#include "framework/dialog.h"
#include "uikit/staticseparator.h"

namespace vt {

class CFolderEditDlg : public CDialog {
public:
    explicit CFolderEditDlg(HWND parent = nullptr);

    // How the dialog tells the user about a field left empty (a plain OK
    // message box over the dialog by default) and opens a web page (the
    // shell's "open" by default).
    std::function<void(HWND owner, const std::string& text)> showMessage;
    std::function<void(const std::string& url)> openWebPage;

    const CSmallIconComboBox& IconPicker() const { return m_iconPicker; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    void OnOK() override;

    void OnBrowse();
    void OnFormat();
    void OnIconMenu();
    void OnResetIcon();
    void OnUseSystemIconFile();
    void OnChooseIconFile();
    void OnMoreIcons();
    // Fills the picker from the icon file and selects the icon index's item.
    void RefillPicker();

private:
    CStaticSeparator m_iconCaption;    // 1031 "Icon:"
    CStaticSeparator m_titleCaption;   // 1030 "Title"
    CStaticSeparator m_pathCaption;    // 1029 "Folder Path"
    CStaticSeparator m_buttonLine;     // 1028, above the buttons
    CSmallIconComboBox m_iconPicker;   // 1020
    CButton m_browseButton;            // 1017

public:
    std::string m_path;                // edit box 1016
    std::string m_title;               // edit box 1018
    std::string m_iconFile;            // hidden static 1023
    int m_iconIndex = -1;              // from the picker on OK
};

// The menu title of the "Icon Options..." button for an icon file.
std::string IconMenuTitle(const std::string& iconFile);

}  // namespace vt
