/* Resource and control ids of Install.exe, read by the resource compiler and the code. */
#pragma once

#define IDI_PROGRAM 1          /* the program's own icon */
#define IDI_DIALOG 2           /* the icon on the dialogs' captions */

#define IDD_INSTALL 1
#define IDD_PROGRESS 2

/* Install dialog */
#define IDC_INSTALL 1
#define IDC_CANCEL 2
#define IDC_START_MENU_BROWSE 101
#define IDC_DESTINATION_BROWSE 103
#define IDC_SHORTCUTS_GROUP 104
#define IDC_START_MENU_CHECK 105
#define IDC_START_MENU_EDIT 106
#define IDC_DESKTOP_CHECK 107
#define IDC_DESTINATION_GROUP 108
#define IDC_DESTINATION_EDIT 109

/* Progress dialog */
#define IDC_STATUS_TEXT 100
#define IDC_PROGRESS_BAR 102
