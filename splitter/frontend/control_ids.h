// Dialog resources and control ids of the splitter's windows, as the templates have them.
#pragma once

namespace parcelo {

// Dialog resources.
constexpr int kDialogMain = 1;
constexpr int kDialogBackup = 2;
constexpr int kDialogProgress = 3;
constexpr int kDialogOptions = 4;
constexpr int kDialogAbout = 5;

// Buttons every dialog shares.
constexpr int kIdOkButton = 1;
constexpr int kIdCancelButton = 2;

// Main dialog.
constexpr int kIdSourceEdit = 103;
constexpr int kIdSourceBrowse = 105;
constexpr int kIdSizeLabel = 100;
constexpr int kIdPiecesLabel = 99;
constexpr int kIdDestinationEdit = 104;
constexpr int kIdDestinationBrowse = 107;
constexpr int kIdSpanRadio = 116;
constexpr int kIdSpecifiedRadio = 114;
constexpr int kIdPresetRadio = 117;
constexpr int kIdSizeEdit = 106;
constexpr int kIdUnitList = 115;
constexpr int kIdPresetList = 118;
constexpr int kIdSplitButton = 128;
constexpr int kIdCloseButton = 2;
constexpr int kIdOptionsButton = 110;
constexpr int kIdHelpButton = 9;
constexpr int kIdAboutButton = 102;

// Options dialog.
constexpr int kIdUseDos83Box = 108;
constexpr int kIdLongJoinNameBox = 111;
constexpr int kIdBackupPromptBox = 129;
constexpr int kIdDeletePromptBox = 119;
constexpr int kIdCloseWhenDoneBox = 122;
constexpr int kIdNoRemindersBox = 123;
constexpr int kIdMoreMemBox = 124;
constexpr int kIdAlwaysOnTopBox = 125;
constexpr int kIdOptionsGroup = 121;

// About dialog.
constexpr int kIdAboutIcon = 130;
constexpr int kIdHomepageEdit = 103;
constexpr int kIdEmailEdit = 104;
constexpr int kIdHomepageButton = 101;
constexpr int kIdEmailButton = 102;

// Backup path dialog.
constexpr int kIdBackupPathEdit = 126;
constexpr int kIdBackupBrowse = 120;

// Edit control notifications the main dialog reacts to.
constexpr int kEnKillFocus = 0x0200;
constexpr int kEnChange = 0x0300;

}  // namespace parcelo
