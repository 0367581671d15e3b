// The progress dialog's button and close box, and the backup path dialog's checks.
#include <gtest/gtest.h>

#include "dialog_fixture.h"
#include "engine/app_settings.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_run.h"
#include "frontend/backup_path_dialog.h"
#include "frontend/main_dialog.h"
#include "frontend/main_dialog_state.h"
#include "frontend/progress_dialog.h"
#include "resources/control_ids.h"

namespace parcelo {
namespace {

using ProgressDialog = DialogFixture;

TEST_F(ProgressDialog, BeforeARunTheButtonCloses) {
  const WindowHandle dialog = sys_->CreateModelessDialog(kDialogProgress);
  EXPECT_EQ(splitJob.running, 0);
  ProgressDialogButton(dialog);
  EXPECT_EQ(sys_->destroyed, std::vector<WindowHandle>{dialog});
  EXPECT_EQ(sys_->ResourceOf(Main()), kDialogMain);
  EXPECT_EQ(splitJob.cancelRequested, 0);
}

TEST_F(ProgressDialog, WhileRunningButtonAndCloseBoxOnlyAskTheWorkerToStop) {
  for (bool closeBox : {false, true}) {
    SCOPED_TRACE(closeBox);
    ResetSplitJob();
    const WindowHandle dialog = sys_->CreateModelessDialog(kDialogProgress);
    splitJob.running = 1;
    sys_->destroyed.clear();
    if (closeBox) {
      ProgressDialogClose(dialog);
    } else {
      ProgressDialogButton(dialog);
    }
    EXPECT_EQ(splitJob.cancelRequested, 1);
    EXPECT_TRUE(sys_->destroyed.empty()) << "the worker ends the run and closes";
    EXPECT_EQ(sys_->ItemOf(dialog, kIdProgressStatus).text, "Canceling...");
    EXPECT_FALSE(sys_->ItemOf(dialog, kIdProgressButton).enabled);
    EndSplitRun(false);  // what the worker does at its next check
    EXPECT_EQ(sys_->destroyed, std::vector<WindowHandle>{dialog});
  }
}

TEST_F(ProgressDialog, ButtonIsDisabledAndCloseIgnoredUntilTheLastQuestion) {
  appSettings.deletePrompt = 1;
  appSettings.closeWhenDone = 0;
  MakeSource("SRC.DAT", 3000);
  RequestSized("SRC.DAT", 1000);
  progressDialog = sys_->CreateModelessDialog(kDialogProgress);
  const WindowHandle dialog = progressDialog;
  int questions = 0;
  sys_->onBox = [&](const Box&) {
    ++questions;
    EXPECT_FALSE(sys_->ItemOf(dialog, kIdProgressButton).enabled);
    ProgressDialogClose(dialog);  // the close box between the questions
    EXPECT_TRUE(sys_->destroyed.empty());
    return kIdNo;
  };
  ASSERT_EQ(Run(), 1);
  EXPECT_EQ(questions, 2) << "delete source, then the reminder";
  EXPECT_TRUE(sys_->ItemOf(dialog, kIdProgressButton).enabled);
  EXPECT_EQ(sys_->ItemOf(dialog, kIdProgressButton).text, "Close");
  EXPECT_EQ(splitJob.cancelRequested, 0);
  ProgressDialogButton(dialog);
  EXPECT_EQ(sys_->destroyed, std::vector<WindowHandle>{dialog});
}

TEST_F(ProgressDialog, WorkerThatCannotStartEndsTheRun) {
  MakeSource("SRC.DAT", 3000);
  OpenMain();
  appSettings.noReminders = 1;
  const WindowHandle first = Main();
  sys_->ItemOf(first, kIdUnitList).selection = kUnitBytes;
  sys_->ItemOf(first, kIdSizeEdit).text = "1000";
  sys_->ItemOf(first, kIdSourceEdit).text = "C:\\Data\\SRC.DAT";
  sys_->workerStartFails = true;
  MainDialogCommand(first, kIdSplitButton, 0);
  EXPECT_NE(Main(), first);
  EXPECT_EQ(sys_->ResourceOf(Main()), kDialogMain);
  EXPECT_EQ(splitJob.running, 0);
  EXPECT_EQ(sys_->ItemOf(Main(), kIdSourceEdit).text, "C:\\Data\\SRC.DAT");
}

using BackupDialog = DialogFixture;

TEST_F(BackupDialog, OkRefusesUntilTheFolderExists) {
  MakeSource("F.DAT", 10);
  const struct {
    const char* text;
    const char* refusal;
  } cases[] = {
      {"", "Drive does not exist."},
      {"Q:\\Backup", "Drive does not exist."},
      {"C:\\NoSuchDir", "Directory not found."},
      {"C:\\Data\\F.DAT", "Not a directory, directory must exist."},
      {"C:\\Data", nullptr},
      {"C:\\", nullptr},
      {"A:", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    sys_->boxes.clear();
    sys_->dialogCalls.clear();
    const WindowHandle dialog = reinterpret_cast<WindowHandle>(0x77);
    sys_->dialogs.emplace_back(kDialogBackup, dialog);
    sys_->ItemOf(dialog, kIdBackupPathEdit).text = c.text;
    splitJob.backupEnabled = 1;
    BackupPathDialogOk(dialog);
    if (c.refusal) {
      ASSERT_EQ(sys_->boxes.size(), 1u);
      EXPECT_EQ(sys_->boxes[0].text, c.refusal);
      EXPECT_EQ(sys_->boxes[0].caption, "Error");
      EXPECT_EQ(sys_->boxes[0].owner, dialog);
      EXPECT_TRUE(sys_->dialogCalls.empty()) << "the dialog stays";
    } else {
      EXPECT_TRUE(sys_->boxes.empty());
      EXPECT_EQ(sys_->dialogCalls, std::vector<std::string>{"end 2 0"});
      EXPECT_EQ(splitJob.backupFolder, c.text);
      EXPECT_EQ(splitJob.backupEnabled, 1);
    }
  }
}

TEST_F(BackupDialog, CancelAsksAndBrowseFillsTheEdit) {
  const WindowHandle dialog = reinterpret_cast<WindowHandle>(0x77);
  sys_->dialogs.emplace_back(kDialogBackup, dialog);
  splitJob.backupEnabled = 1;
  sys_->answers = {kIdNo, kIdYes};
  BackupPathDialogCancel(dialog);
  EXPECT_TRUE(sys_->dialogCalls.empty());
  EXPECT_EQ(splitJob.backupEnabled, 1);
  BackupPathDialogCancel(dialog);
  EXPECT_EQ(sys_->dialogCalls, std::vector<std::string>{"end 2 0"});
  EXPECT_EQ(splitJob.backupEnabled, 0);
  ASSERT_EQ(sys_->boxes.size(), 2u);
  EXPECT_EQ(sys_->boxes[0].text, "Are you sure you want to continue without backing up the pieces?");
  EXPECT_EQ(sys_->boxes[0].caption, "Are you sure?");
  EXPECT_EQ(sys_->boxes[0].style, kMbYesNo | kMbIconQuestion);

  sys_->folderChoice = FolderChoice::Chosen;
  sys_->browsedFolder = "C:\\Data";
  BackupPathDialogBrowse(dialog);
  EXPECT_EQ(sys_->ItemOf(dialog, kIdBackupPathEdit).text, "C:\\Data");
  EXPECT_EQ(splitJob.backupFolder, "C:\\Data");
}

TEST_F(BackupDialog, SpannedSplitAsksForBackupsAndRunsWithThem) {
  MakeSource("SRC.DAT", 200000);
  MakeFolder(Host('C', "Backup"));
  OpenMain();
  appSettings.noReminders = 1;
  ChooseMode(kIdSpanRadio);
  Type(kIdDestinationEdit, "A:\\");
  Type(kIdSourceEdit, "C:\\Data\\SRC.DAT");
  backupScript = [this](WindowHandle dialog) {
    sys_->ItemOf(dialog, kIdBackupPathEdit).text = "C:\\Backup";
    BackupPathDialogOk(dialog);
  };
  sys_->onBox = [](const Box& box) { return (box.style & 0xF) == kMbYesNo ? kIdYes : kIdOk; };
  Press(kIdSplitButton);
  ASSERT_GE(sys_->boxes.size(), 2u);
  EXPECT_EQ(sys_->boxes[0].caption, "Backup Pieces");
  EXPECT_EQ(sys_->boxes[0].style, kMbIconQuestion | kMbYesNo);
  EXPECT_EQ(sys_->boxes[1].text, "Insert disk for piece 1");
  EXPECT_EQ(List(Host('C', "Backup")), (std::vector<std::string>{"Join-SRC.DAT.bat", "SRC.000"}))
      << "fits one disk";
}

}  // namespace
}  // namespace parcelo

