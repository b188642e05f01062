// The folder editor ("Add/Edit", template 137): one folder's path, menu
// title and icon. The caller sets the four fields, runs the dialog and, after
// OK, reads them back.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "uikit/controls/smalliconcombobox.h"
#include "framework/button.h"
#include "framework/dialog.h"
#include "uikit/controls/staticseparator.h"

namespace vt {

class CFolderEditDlg : public CDialog {
public:
    explicit CFolderEditDlg(HWND parent = nullptr);

    // How the dialog tells the user about a field left empty (a plain OK
    // message box over the dialog by default) and opens a web page (the
    // shell's "open" by default).
    std::function<void(HWND owner, const std::string& text)> showMessage;
    std::function<void(const std::string& url)> openWebPage;

    const CSmallIconComboBox& IconPicker() const { return iconPicker_; }

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
    CStaticSeparator iconCaption_;   // 1031 "Icon:"
    CStaticSeparator titleCaption_;  // 1030 "Title"
    CStaticSeparator pathCaption_;   // 1029 "Folder Path"
    CStaticSeparator buttonLine_;    // 1028, above the buttons
    CSmallIconComboBox iconPicker_;  // 1020
    CButton browseButton_;           // 1017

public:
    std::string path_;      // edit box 1016
    std::string title_;     // edit box 1018
    std::string iconFile_;  // hidden static 1023
    int iconIndex_ = -1;    // from the picker on OK
};

// The menu title of the "Icon Options..." button for an icon file.
std::string IconMenuTitle(const std::string& iconFile);

}  // namespace vt
