#pragma once
// Resource, control, string and message numbers of Cofferprep, shared by its .rc and code.

#define IDR_MAINFRAME 128
#define IDD_PROGRESS 129
#define IDC_PROGRESS_TEXT 1001

#define IDS_INSTALL_FAILED 182
#define IDS_INSTALLING_WIN2000 183
#define IDS_INSTALLING 184
#define IDS_CONFIRM_CANCEL 185
// The application title: the caption of Cofferprep's message boxes.
#define IDS_APP_TITLE 57344

// Private messages of the progress dialog.
#define WM_START_INSTALL (WM_USER + 1)
// Sent by the installation thread: the dialog shows the bus-driver failure message.
#define WM_SHOW_INSTALL_FAILURE (WM_USER + 2)
