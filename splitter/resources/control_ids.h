// Dialog resources and control ids of the splitter's windows, under the names the
// portable code uses; the numbers come from the templates' own header.
#pragma once

#include "resources/resource_ids.h"

namespace parcelo {

// Dialog resources.
constexpr int kDialogMain = IDD_MAIN;
constexpr int kDialogBackup = IDD_BACKUP_PATH;
constexpr int kDialogProgress = IDD_PROGRESS;
constexpr int kDialogOptions = IDD_OPTIONS;
constexpr int kDialogAbout = IDD_ABOUT;

// Buttons every dialog shares.
constexpr int kIdOkButton = IDC_OPTIONS_OK;
constexpr int kIdCancelButton = IDC_OPTIONS_CANCEL;

// Main dialog.
constexpr int kIdSourceEdit = IDC_SOURCE_EDIT;
constexpr int kIdSourceBrowse = IDC_SOURCE_BROWSE;
constexpr int kIdSizeLabel = IDC_SIZE_LABEL;
constexpr int kIdPiecesLabel = IDC_PIECES_LABEL;
constexpr int kIdDestinationEdit = IDC_DEST_EDIT;
constexpr int kIdDestinationBrowse = IDC_DEST_BROWSE;
constexpr int kIdSpanRadio = IDC_SPAN;
constexpr int kIdSpecifiedRadio = IDC_SPECIFIED;
constexpr int kIdPresetRadio = IDC_PRESET;
constexpr int kIdSizeEdit = IDC_SIZE_EDIT;
constexpr int kIdUnitList = IDC_UNIT_LIST;
constexpr int kIdPresetList = IDC_PRESET_LIST;
constexpr int kIdSplitButton = IDC_SPLIT;
constexpr int kIdCloseButton = IDC_CLOSE;
constexpr int kIdOptionsButton = IDC_OPTIONS_BUTTON;
constexpr int kIdHelpButton = IDC_HELP_BUTTON;
constexpr int kIdAboutButton = IDC_ABOUT_BUTTON;

// Options dialog.
constexpr int kIdUseDos83Box = IDC_OPTIONS_USE_DOS83;
constexpr int kIdLongJoinNameBox = IDC_OPTIONS_LONG_JOIN_NAME;
constexpr int kIdBackupPromptBox = IDC_OPTIONS_BACKUP_PROMPT;
constexpr int kIdDeletePromptBox = IDC_OPTIONS_DELETE_PROMPT;
constexpr int kIdCloseWhenDoneBox = IDC_OPTIONS_CLOSE_WHEN_DONE;
constexpr int kIdNoRemindersBox = IDC_OPTIONS_NO_REMINDERS;
constexpr int kIdMoreMemBox = IDC_OPTIONS_MORE_MEM;
constexpr int kIdAlwaysOnTopBox = IDC_OPTIONS_ALWAYS_ON_TOP;
constexpr int kIdOptionsGroup = IDC_OPTIONS_GROUP;

// About dialog.
constexpr int kIdAboutIcon = IDC_ABOUT_ICON;
constexpr int kIdHomepageEdit = IDC_ABOUT_HOMEPAGE_EDIT;
constexpr int kIdEmailEdit = IDC_ABOUT_EMAIL_EDIT;
constexpr int kIdHomepageButton = IDC_ABOUT_HOMEPAGE;
constexpr int kIdEmailButton = IDC_ABOUT_EMAIL;

// Progress dialog.
constexpr int kIdProgressCaption = IDC_PROGRESS_CAPTION;
constexpr int kIdProgressStatus = IDC_PROGRESS_STATUS;
constexpr int kIdProgressBar = IDC_PROGRESS_BAR;
constexpr int kIdProgressButton = IDC_PROGRESS_BUTTON;

// Backup path dialog.
constexpr int kIdBackupPathEdit = IDC_BACKUP_PATH_EDIT;
constexpr int kIdBackupBrowse = IDC_BACKUP_BROWSE;

// Edit control notifications the main dialog reacts to.
constexpr int kEnKillFocus = 0x0200;
constexpr int kEnChange = 0x0300;

}  // namespace parcelo
