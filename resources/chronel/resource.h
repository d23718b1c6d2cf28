// Resource, string, message and timer numbers of Chronel. The resource compiler reads this
// file too: keep it to plain #defines.
#pragma once

// Private window messages (WM_USER based).
#define WM_DOWNLOAD_PROGRESS 0x401
#define WM_SYNC_RESULT 0x460
#define WM_SYNC_FAILED 0x461
#define WM_AUTOCHECK_CHANGED 0x462
#define WM_SYNC_PROGRESS 0x463
#define WM_SYNC_BUSY 0x464
#define WM_TRAY_CALLBACK 0x465
#define WM_APP_EXIT 0x466
#define WM_CLOCK_SET_FAILED 0x467
#define WM_CORRECT_NOW 0x468
#define WM_REMINDER_CLOSED 0x469
#define WM_REMINDER_SNOOZE 0x470

// Timers of the main window.
#define IDT_SCHEDULE 256
#define IDT_RETRY 257
#define IDT_REMINDERS 258

// Strings.
#define IDS_CLOCK_NOT_SET 106
#define IDS_NO_WINSOCK 32776
#define IDS_WINSOCK_TOO_OLD 32777
#define IDS_NEED_INTERNET 32778
#define IDS_CLOCK_IS 32779
#define IDS_FAST 32780
#define IDS_SLOW 32781
#define IDS_DAY 32782
#define IDS_HOUR 32783
#define IDS_MINUTE 32784
#define IDS_SECONDS 32785
#define IDS_UNKNOWN 32786
#define IDS_UNABLE_TO_CONNECT 32787
#define IDS_ACCURATE 32789
#define IDS_NO_SCHEDULE 32790
#define IDS_CLEAR_HISTORY 32792
#define IDS_LOG_ENTRY 32793
#define IDS_TRYING_SERVER 32794
#define IDS_COLUMN_TIME 32795
#define IDS_COLUMN_CORRECTION 32796
#define IDS_NEXT_START 32806
#define IDS_INTERNET_CHECK 32812
#define IDS_NO_UPDATES 32813

// Registered window messages.
#define DISP_SETTINGS_MESSAGE L"OrvelIDEDispSettings"
#define APP_UPDATE_MESSAGE L"OrvelAppUpdateMsg"

// Start-up, main window and page host.
#define IDS_DISPLAY_NAME 102
#define IDS_NO_UNINSTALL_LOG 104
#define IDS_NO_UNINSTALLER 105
#define IDR_REGISTRY_APPID 107
#define IDR_REGISTRY_PROXY 108
#define IDS_EDITION_FIRST 110
#define IDS_READING 32788
#define IDS_FIRST_RUN_QUESTION 57345
#define IDS_FIRST_RUN_THANKS 57346
#define IDC_BROWSER 6666
#define IDT_PAGE_REFRESH 256
#define WM_PAGE_HOST_TOPMOST 0x499
#define ID_TRAY_SETTINGS 32772
#define ID_TRAY_EXIT 32773

// Icons and the tray menu.
#define IDI_CHRONEL 128
#define IDI_TRAY 129
#define IDR_TRAY_MENU 130
// The notification-area icon's identifier and the balloon's display-time timer.
#define ID_TRAY_ICON 256
#define IDT_BALLOON_CLOSE 1

// The update: the offer asked of the main window (answered IDOK or IDCANCEL) and the end of a
// download, posted after the last WM_DOWNLOAD_PROGRESS.
#define WM_UPDATE_OFFER 0x49A
#define WM_DOWNLOAD_FINISHED 0x49B
#define IDD_APP_UPDATE 139
#define IDD_DOWNLOAD_PROGRESS 190
#define IDC_UPDATE_TEXT 1001
#define IDC_UPDATE_QUESTION 1002
#define IDC_DOWNLOAD_BAR 1003
#define IDC_DOWNLOAD_TEXT 1004
#define IDS_ABOUT_DEFAULT 32800
#define IDS_PRODUCT_PAGE 32801
#define IDS_UPDATE_SERVER 32840
#define IDS_DOWNLOADING 32841
