#pragma once
// Identifiers the framework defines: its commands, status-bar indicators and the string
// ids it reads. The numbers are shared with menus, accelerators and the toolbar.

constexpr int AFX_IDS_APP_TITLE = 57344;
constexpr int AFX_IDS_IDLEMESSAGE = 57345;
constexpr int AFX_IDS_MDICHILD = 61215;     // prompt of the window list's entries

// Framework commands
constexpr int ID_FILE_NEW = 57600;
constexpr int ID_FILE_OPEN = 57601;
constexpr int ID_FILE_CLOSE = 57602;
constexpr int ID_FILE_SAVE = 57603;
constexpr int ID_FILE_SAVE_AS = 57604;
constexpr int ID_FILE_PAGE_SETUP = 57605;
constexpr int ID_FILE_PRINT_SETUP = 57606;
constexpr int ID_FILE_PRINT = 57607;
constexpr int ID_FILE_PRINT_DIRECT = 57608;
constexpr int ID_FILE_PRINT_PREVIEW = 57609;
constexpr int ID_FILE_SEND_MAIL = 57612;
constexpr int ID_FILE_REOPEN_ENCODING = 57614;  // the document's file read again in a chosen encoding
constexpr int ID_FILE_MRU_FIRST = 57616;   // recent-file entries 57616..57631
constexpr int ID_FILE_MRU_LAST = 57631;
constexpr int ID_EDIT_CLEAR = 57632;
constexpr int ID_EDIT_COPY = 57634;
constexpr int ID_EDIT_CUT = 57635;
constexpr int ID_EDIT_FIND = 57636;
constexpr int ID_EDIT_PASTE = 57637;
constexpr int ID_EDIT_REPEAT = 57640;
constexpr int ID_EDIT_REPLACE = 57641;
constexpr int ID_EDIT_SELECT_ALL = 57642;
constexpr int ID_EDIT_UNDO = 57643;
constexpr int ID_WINDOW_NEW = 57648;
constexpr int ID_WINDOW_ARRANGE = 57649;
constexpr int ID_WINDOW_CASCADE = 57650;
constexpr int ID_WINDOW_TILE_HORZ = 57651;
constexpr int ID_WINDOW_TILE_VERT = 57652;
constexpr int ID_APP_ABOUT = 57664;
constexpr int ID_APP_EXIT = 57665;
constexpr int ID_NEXT_PANE = 57680;
constexpr int ID_PREV_PANE = 57681;
constexpr int ID_VIEW_TOOLBAR = 59392;
constexpr int ID_VIEW_STATUS_BAR = 59393;

// The window list at the end of the Window menu: entry n (from 0) of the document windows in
// the order they were opened.
constexpr int AFX_IDM_FIRST_MDICHILD = 0xFF00;
constexpr int AFX_IDM_LAST_MDICHILD = 0xFFFF;

// Status-bar indicators
constexpr int ID_INDICATOR_EXT = 59136;
constexpr int ID_INDICATOR_CAPS = 59137;
constexpr int ID_INDICATOR_NUM = 59138;
constexpr int ID_INDICATOR_SCRL = 59139;
constexpr int ID_INDICATOR_OVR = 59140;
constexpr int ID_INDICATOR_REC = 59141;
constexpr int ID_INDICATOR_KANA = 59142;
constexpr int ID_INDICATOR_ENCODING = 59143;  // the active document's encoding
