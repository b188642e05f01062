// The common item dialog of current Windows (Open, Save and the folder
// picker), recognised by its own structure rather than by a hidden control
// that may not be there:
//   #32770 > DUIViewWndClassName > DirectUIHWND            the dialog's view
//   #32770 > WorkerW > ReBarWindow32 > Address Band Root
//            > msctls_progress32 > Breadcrumb Parent         the address band
//   #32770 > ComboBoxEx32 1148 > ComboBox > Edit            Open's file name
//   DirectUIHWND > FloatNotifySink > ComboBox > Edit 1001   Save's file name
// and driven to a folder either through its file name box (Open) or through
// its address band, as a user does with Alt+D (Save and the folder picker).
#pragma once
#include <windows.h>

#include <string>

#include "framework/wnd.h"
#include "navigation/driver.h"
#include "navigation/recognise.h"

namespace vt::nav {

enum class ItemDialogForm {
    Open,          // the file name box is the combo box 1148
    Save,          // the file name box lives in the view, under FloatNotifySink
    FolderPicker,  // OK reads "Select Folder" and there is no file type list
};

struct ItemDialogControls {
    bool found = false;
    ItemDialogForm form = ItemDialogForm::Open;
    CWnd fileNameBox;  // absent only in a folder picker without one
    CWnd okButton;     // IDOK
    CWnd addressBand;  // "Address Band Root"
};

// Reads the structure above; found is false for any other window, Wine's own
// file dialogs and the older Explorer-style ones included.
ItemDialogControls LocateItemDialog(CWnd window);
ItemDialogControls LocateItemDialog(DescendantClasses& tree);

// How a dialog is driven to a path.
enum class ItemDialogRoute {
    None,         // not driven: the dispatch goes on
    FileName,     // the path into the file name box, OK (an Open dialog)
    AddressBand,  // Alt+D, the path into the address edit, Enter
    NameOnly,     // the path into the file name box for the user to confirm
};
// The route for a form, an entry that is a directory or a file, and whether
// the dialog has a file name box. Save never gets OK from Vantrel: its name
// box is made anew when the folder changes, and a click there could save.
ItemDialogRoute ChooseItemDialogRoute(ItemDialogForm form, bool isDirectory, bool hasNameBox);

// The OK text of a folder picker, compared without its mnemonic and case.
bool IsSelectFolderText(const std::string& okText);

// How long the address band may take to show its edit after Alt+D.
inline constexpr DWORD kAddressEditWaitMs = 1000;

// Drives a located dialog (controls from LocateItemDialog) to path. In a
// folder picker the folder is chosen (OK after going there) unless ctrl is
// held, which only goes there. The file name the user had typed is back in
// the box afterwards wherever the dialog stays open. False, with nothing
// sent, when the route is None.
bool DriveItemDialog(TargetDriver& d, CWnd dialog, const ItemDialogControls& c,
                     const std::string& path, bool isDirectory, bool ctrl);

}  // namespace vt::nav
