/* Resource and control ids of Parcelo95.exe, shared by parcelo95.rc and the
   dialog procedures. Plain #defines only: windres reads this file too, so no
   C++ and no windows.h here. Several dialogs reuse the same numbers for
   different controls, hence one name per dialog and control. */
#ifndef PARCELO95_RESOURCE_IDS_H
#define PARCELO95_RESOURCE_IDS_H

/* Dialog templates */
#define IDD_MAIN                  1
#define IDD_BACKUP_PATH           2
#define IDD_PROGRESS              3
#define IDD_OPTIONS               4
#define IDD_ABOUT                 5

/* Application icon: the main and progress dialogs' small icon, the About box */
#define IDI_APP                   1

/* Main dialog (IDD_MAIN) */
#define IDC_SOURCE_GROUP          109
#define IDC_SOURCE_EDIT           103
#define IDC_SOURCE_BROWSE         105
#define IDC_SIZE_LABEL            100
#define IDC_PIECES_LABEL          99
#define IDC_DEST_GROUP            112
#define IDC_DEST_EDIT             104
#define IDC_DEST_BROWSE           107
#define IDC_SPLIT_SIZE_GROUP      113
#define IDC_SPAN                  116
#define IDC_SPECIFIED             114
#define IDC_PRESET                117
#define IDC_SIZE_EDIT             106
#define IDC_UNIT_LIST             115
#define IDC_PRESET_LIST           118
#define IDC_SPLIT                 128
#define IDC_CLOSE                 2
#define IDC_OPTIONS_BUTTON        110
#define IDC_HELP_BUTTON           9
#define IDC_ABOUT_BUTTON          102

/* Options dialog (IDD_OPTIONS); check boxes in the order of the flags */
#define IDC_OPTIONS_USE_DOS83             108
#define IDC_OPTIONS_LONG_JOIN_NAME        111
#define IDC_OPTIONS_BACKUP_PROMPT         129
#define IDC_OPTIONS_DELETE_PROMPT         119
#define IDC_OPTIONS_CLOSE_WHEN_DONE       122
#define IDC_OPTIONS_NO_REMINDERS          123
#define IDC_OPTIONS_MORE_MEM              124
#define IDC_OPTIONS_ALWAYS_ON_TOP         125
#define IDC_OPTIONS_GROUP                 121
#define IDC_OPTIONS_OK                    1
#define IDC_OPTIONS_CANCEL                2

/* About dialog (IDD_ABOUT) */
#define IDC_ABOUT_ICON            130
#define IDC_ABOUT_HOMEPAGE_EDIT   103
#define IDC_ABOUT_EMAIL_EDIT      104
#define IDC_ABOUT_HOMEPAGE        101
#define IDC_ABOUT_EMAIL           102
#define IDC_ABOUT_CLOSE           2

/* Progress dialog (IDD_PROGRESS) */
#define IDC_PROGRESS_CAPTION      100
#define IDC_PROGRESS_STATUS       101
#define IDC_PROGRESS_BAR          127
#define IDC_PROGRESS_BUTTON       2

/* Backup path dialog (IDD_BACKUP_PATH) */
#define IDC_BACKUP_GROUP          101
#define IDC_BACKUP_PATH_EDIT      126
#define IDC_BACKUP_BROWSE         120
#define IDC_BACKUP_OK             1
#define IDC_BACKUP_CANCEL         2

/* Shown in the About box and handed to the shell by its two buttons, so the
   template and the code cannot drift apart. */
#define PARCELO95_HOMEPAGE        "http://www.tavrin.example/parcelo95/"
#define PARCELO95_SUPPORT_EMAIL   "support@tavrin.example"
#define PARCELO95_SUPPORT_MAILTO  "mailto:support@tavrin.example"

#endif /* PARCELO95_RESOURCE_IDS_H */
