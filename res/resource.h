// Resource numbers of the program and of the language libraries beside it.
// Shared by the program's .rc, the language libraries' .rc files and the code.
#pragma once

// Dialog template of the progress window and its controls.
#define IDD_PROGRESS 102
#define IDC_PROGRESS_BAR 1000
#define IDC_HEADING 1002
#define IDC_STATUS 1003

// Strings the program itself holds: needed before a language is chosen.
#define IDS_CAPTION 8001
#define IDS_NO_TOOL_INI 8002
#define IDS_NO_SETUP_INI 8003
#define IDS_NO_INSTALLER_LIBRARY 8004

// Strings every language library holds.
#define IDS_HEADING 10
#define IDS_COMPLETED 31
#define IDS_RESTART_LATER 39
#define IDS_REMOVING 42
#define IDS_CONFIRM_FIRST 43
#define IDS_CONFIRM_SECOND 44
#define IDS_ALREADY_RUNNING 93
#define IDS_STARTING 112
#define IDS_RESTART_QUESTION 114
#define IDS_PREPARING 120
#define IDS_NOT_ADMIN 134
