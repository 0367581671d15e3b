/* Resource and control ids of Uninstaller.exe, shared by uninstaller.rc and the portable
   code. Plain #defines only: windres reads this file too. */
#ifndef UNINSTALLER_IDS_H
#define UNINSTALLER_IDS_H

#define IDI_UNINSTALLER           1
#define IDD_REMOVAL_PROGRESS      1
#define IDC_REMOVAL_STATUS        100
#define IDC_REMOVAL_BAR           102

#endif
