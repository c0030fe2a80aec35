// Resource and control ids of the updater and of its text library "tarnrez.dll".
#pragma once

// The program's own resources.
#define IDD_UPDATER_DIALOG 102  // confirmation dialog
#define IDR_MAINFRAME 133       // icon group: 32 x 32 and 16 x 16
#define IDD_PROGRESS 1002       // progress window (also in tarnrez.dll)

// Controls.
#define IDC_CONFIRM_TEXT 1001
#define IDC_PROGRESS_TEXT 1003

// Strings of tarnrez.dll.
#define IDS_COMPLETE 3
#define IDS_BUTTON_OK 8
#define IDS_BUTTON_CANCEL 9
#define IDS_CONFIRM 10
#define IDS_PROGRESS 50
#define IDS_NO_LOCATION 82
#define IDS_COPY_FAILED 101
