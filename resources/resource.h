// Resource and command identifiers of Vantrel.exe.
#pragma once

#define IDR_MAINFRAME 128       // application icon and menu 128
#define IDD_SETUP 130           // "Setup" dialog
#define IDD_ADDEDIT 137         // "Add/Edit" dialog
#define IDB_DEFAULT_FOLDER 132  // 16 x 16 folder on RGB(255, 0, 128)
#define IDB_EXIT 133
#define IDB_SETUP 135
#define IDI_MOVE_UP 136
#define IDI_MOVE_DOWN 137
#define IDI_BROWSE 138
#define IDI_DEFAULT_FOLDER 139
#define IDI_SETUP 140  // "Setup..." and "Exit" pictures for other
#define IDI_EXIT 141   // sizes than the 16-pixel bitmaps

#ifndef RC_INVOKED
// The transparent colour of the program's bitmaps, RGB(255, 0, 128) as a
// COLORREF: masked out of every picture above and of the menus that use them.
inline constexpr unsigned long kBitmapMaskColor = 0x8000FF;
#endif

// "Add/Edit" dialog controls, in tab order.
#define IDC_PATH_CAPTION 1029  // "Folder Path" heading
#define IDC_PATH 1016
#define IDC_BROWSE 1017
#define IDC_TITLE_CAPTION 1030  // "Title" heading
#define IDC_TITLE 1018
#define IDC_ICON_CAPTION 1031  // "Icon:" heading
#define IDC_ICON_PICKER 1020
#define IDC_ICON_OPTIONS 1022
#define IDC_ICON_FILE 1023    // hidden: carries the icon file
#define IDC_BUTTON_LINE 1028  // line above the buttons
#define IDC_FORMAT 1033

// "Icon Options..." menu commands.
#define ID_ICON_SYSTEM_FILE 32773  // "Use default system icon file"
#define ID_ICON_CUSTOM_FILE 32774  // "Choose custom icon file..."
#define ID_ICON_MORE 32775         // "Get more icons"
#define ID_ICON_RESET 32776        // "Reset to default icon"

#define ID_SETUP 32771
#define ID_ADD_FOLDER 32772
#define ID_POP_MENU 32777
#define ID_FOLDER_FIRST 30000
#define ID_FOLDER_LAST 31000
#define ID_OPEN_FOLDER_FIRST 31100  // the menu's open folders, in the order shown
#define ID_OPEN_FOLDER_LAST 31109
#define ID_APP_EXIT_CMD 57665  // the framework's ID_APP_EXIT

#define AFX_IDS_APP_TITLE_RES 0xE000

// "Setup" dialog controls.
#define IDC_SETUP_ADD 1002
#define IDC_SETUP_EDIT 1003
#define IDC_SETUP_REMOVE 1004
#define IDC_LOAD_WITH_WINDOWS 1005
#define IDC_SHOW_TRAY 1006
#define IDC_ACTION 1007
#define IDC_SHORTCUT_NONE 1008  // the three shortcut radio buttons: 1008 + type
#define IDC_SHORTCUT_WINKEY 1009
#define IDC_SHORTCUT_OTHER 1010
#define IDC_WINDOWS_KEY 1011
#define IDC_HOTKEY 1012
#define IDC_FOLDER_LIST 1013
#define IDC_MOVE_UP 1014
#define IDC_MOVE_DOWN 1015
#define IDC_VERSION 1019
#define IDC_HOME_PAGE 1021
#define IDC_FOLDERS_CAPTION 1025   // "Folders" heading
#define IDC_GENERAL_CAPTION 1026   // "General Settings" heading
#define IDC_SHORTCUT_CAPTION 1027  // "Keyboard Shortcut" heading
#define IDC_MOUSE_CAPTION 1028     // "Mouse Activation" heading
#define IDC_INTEGRATE 1032
#define IDC_ALWAYS_NEW_EXPLORER 1038
#define IDC_ACTIVATE_RBUTTON 1039
#define IDC_ACTIVATE_WHEEL 1040
#define IDC_HOTKEY_WIN 1041  // "With the Windows key", beside the hot-key control
#define IDC_SHOW_OPEN_FOLDERS 1042
#define IDC_AUTO_SWITCH 1043

// Setup's "Export..." (the list and the options to a file) and "Import...".
#define IDC_SETUP_EXPORT 1050
#define IDC_SETUP_IMPORT 1051

// Initial data of a dialog template (drop-down list strings).
#define RT_DLGINIT_RES 240

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
