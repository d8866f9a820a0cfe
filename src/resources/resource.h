// Resource and control identifiers of the program.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_TARVANE_DIALOG 102
#define IDC_ZONE_LIST 1006
// The status bar's id, as the framework's status bar has it.
#define IDW_STATUS_BAR 0xE801

#define IDS_APP_NAME 1
