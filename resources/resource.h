// Resource and command identifiers of Vantrel.exe.
#pragma once

#define IDR_MAINFRAME          128   // application icon and menu 128
#define IDD_SETUP              130   // "Setup" dialog
#define IDD_ADDEDIT            137   // "Add/Edit" dialog
#define IDB_DEFAULT_FOLDER     132   // 16 x 16 folder on RGB(255, 0, 128)
#define IDB_EXIT               133
#define IDB_SETUP              135
#define IDI_MOVE_UP            136
#define IDI_MOVE_DOWN          137
#define IDI_BROWSE             138
#define IDI_DEFAULT_FOLDER     139
#define IDI_SETUP              140   // "Setup..." and "Exit" pictures for other
#define IDI_EXIT               141   // sizes than the 16-pixel bitmaps

#define ID_SETUP               32771
#define ID_ADD_FOLDER          32772
#define ID_POP_MENU            32777
#define ID_FOLDER_FIRST        30000
#define ID_FOLDER_LAST         31000
#define ID_APP_EXIT_CMD        57665  // the framework's ID_APP_EXIT

#define AFX_IDS_APP_TITLE_RES  0xE000
