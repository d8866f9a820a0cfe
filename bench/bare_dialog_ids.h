// Resource ids of the benchmark's bare dialog.
#pragma once

#define IDD_BARE_DIALOG 100
#define IDC_BARE_LIST 1001
#define IDC_BARE_EDIT 1002
#define IDC_BARE_COMBO 1003
#define IDC_BARE_DATE 1004
#define IDC_BARE_LINK 1005
