#include "frontend/backup_path_dialog.h"

#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_run.h"
#include "frontend/frontend_messages.h"
#include "resources/control_ids.h"

namespace parcelo {
namespace {

constexpr char kTextChooseBackup[] = "Choose backup folder";
constexpr char kTextNoBackupQuestion[] =
    "Are you sure you want to continue without backing up the pieces?";
constexpr char kCaptionAreYouSure[] = "Are you sure?";

void Refuse(WindowHandle dialog, const char* text) {
  Windows().ShowMessageBox(dialog, text, kCaptionError, kMbIconError);
}

}  // namespace

void BackupPathDialogBrowse(WindowHandle dialog) {
  std::string folder;
  switch (Windows().BrowseForFolder(dialog, kTextChooseBackup, &folder)) {
    case FolderChoice::Chosen:
      splitJob.backupFolder = folder;
      Windows().SetItemText(dialog, kIdBackupPathEdit, folder);
      break;
    case FolderChoice::OutOfMemory:
      Refuse(dialog, kTextOutOfMemoryShort);
      Windows().CloseWindow(dialog);
      break;
    case FolderChoice::Cancelled:
    case FolderChoice::NoAllocator:
      break;
  }
}

void BackupPathDialogOk(WindowHandle dialog) {
  const std::string folder = Windows().GetItemText(dialog, kIdBackupPathEdit);
  splitJob.backupFolder = folder;
  // An empty entry names no drive at all.
  if (folder.empty() || Files().DriveTypeOf(DriveRoot(folder)) == DriveType::NoRootDir) {
    return Refuse(dialog, kTextDriveMissing);
  }
  if (folder.size() > 3) {
    FoundFile found;
    if (!Files().FindFile(folder, &found)) return Refuse(dialog, kTextFolderMissing);
    if (!found.isDirectory) return Refuse(dialog, kTextNotFolder);
  }
  Windows().EndModalDialog(dialog, 0);
}

void BackupPathDialogCancel(WindowHandle dialog) {
  if (Windows().ShowMessageBox(dialog, kTextNoBackupQuestion, kCaptionAreYouSure,
                           kMbYesNo | kMbIconQuestion) != kIdYes) {
    return;
  }
  splitJob.backupEnabled = 0;
  Windows().EndModalDialog(dialog, 0);
}

}  // namespace parcelo
