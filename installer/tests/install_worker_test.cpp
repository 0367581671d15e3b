// The worker's order, progress range and steps, check points and ends, driven from the
// install dialog's Install command as a user would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog_harness.h"

namespace qinstall {
namespace {

const std::string kQuestion = "Are you sure you want to cancel the installation?";
const WindowHandle kProgress = DialogHandle(IDD_PROGRESS);

class InstallWorkerTest : public DialogHarness {
 protected:
  // Opens the install dialog, sets the two choices and presses Install.
  void RunInstall(bool startMenu, bool desktop) {
    const WindowHandle dialog = OpenInstallDialog();
    if (Choices().startMenuShortcuts != startMenu) InstallDialogCommand(dialog, IDC_START_MENU_CHECK);
    if (Choices().desktopShortcuts != desktop) InstallDialogCommand(dialog, IDC_DESKTOP_CHECK);
    ASSERT_TRUE(InstallDialogCommand(dialog, IDC_INSTALL));
  }

  std::vector<Box> Questions() const {
    std::vector<Box> questions;
    for (const Box& box : system.boxes) {
      if (box.text == kQuestion) questions.push_back(box);
    }
    return questions;
  }

  bool Completed() const {
    for (const Box& box : system.boxes) {
      if (box.text == "Installation is now complete.") return true;
    }
    return false;
  }

  void ExpectClosedOnce() {
    EXPECT_EQ(CountCalls("CloseWindow " + std::to_string(0x200)), 1u);
    EXPECT_EQ(CountCalls("DestroyDialog " + std::to_string(0x200)), 1u);
    EXPECT_EQ(CountCalls("PostQuit 0"), 1u);
    EXPECT_EQ(workerStage.load(), WorkerStage::Closing);
  }
};

TEST_F(InstallWorkerTest, FullRunStepsTheBarToItsEndAfterTheRegistry) {
  UsePackage(3, {0, 1});
  RunInstall(true, true);

  const std::vector<std::string> expected = {
      "StartWorker",
      "ProgressSetRange 102 0 7",
      "ProgressSetPos 102 0",
      "SetItemText 100 Initializing...",
      "ProgressDelta 102 1",
      "SetItemText 100 Copying Files...",
      "ProgressDelta 102 1", "ProgressDelta 102 1", "ProgressDelta 102 1",
      "SetItemText 100 Creating shortcuts...",
      "ProgressDelta 102 1", "ProgressDelta 102 1",
      "SetItemText 100 Updating registry...",
      "ProgressDelta 102 1",  // 7: the end of the range
      "ProgressDelta 102 1",  // the bar stays at its end
      "SetItemText 100 Done.",
      "CloseWindow 512",
      "DestroyDialog 512",
      "PostQuit 0",
  };
  EXPECT_EQ(CallsFrom("StartWorker"), expected);
  EXPECT_EQ(Script().log, (std::vector<std::string>{
                              "CreateInstallFolders", "CopyPackageFiles", "CreateShortcuts",
                              "WriteUninstallRegistry",
                              "WriteUninstallRecord C:\\Program Files\\Tool\\Uninstall.qsu"}));
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].owner, kProgress);
  EXPECT_EQ(system.boxes[0].text, "Installation is now complete.");
  EXPECT_EQ(system.boxes[0].caption, "Installation Complete");
  EXPECT_EQ(system.boxes[0].style, kMbOk);
  ExpectClosedOnce();
}

struct RangeCase {
  std::size_t files;
  std::vector<unsigned> placements;
  bool startMenu, desktop;
  std::string range;
  bool shortcutPhase;
};

TEST_F(InstallWorkerTest, RangeCountsShortcutsOnlyWhenTheirPhaseRuns) {
  const std::vector<RangeCase> cases = {
      {3, {0, 0}, true, true, "ProgressSetRange 102 0 7", true},
      {3, {0, 0}, false, false, "ProgressSetRange 102 0 5", false},
      {3, {0, 0}, false, true, "ProgressSetRange 102 0 7", true},
      {3, {}, true, false, "ProgressSetRange 102 0 5", false},  // no entries, choice on
      {0, {}, true, false, "ProgressSetRange 102 0 2", false},
      // 65,534 + 2 + 2 would wrap to 2 in 16 bits.
      {65534, {0, 0}, true, false, "ProgressSetRange 102 0 65538", true},
  };
  for (const RangeCase& c : cases) {
    SCOPED_TRACE(c.range);
    ResetInstallRun();
    ResetInstallPackage();
    ResetPhaseScript();
    system.calls.clear();
    system.boxes.clear();
    UsePackage(c.files, c.placements);
    RunInstall(c.startMenu, c.desktop);

    const std::vector<std::string> run = CallsFrom("StartWorker");
    ASSERT_GE(run.size(), 2u);
    EXPECT_EQ(run[1], c.range);
    const std::size_t steps = c.files + (c.shortcutPhase ? c.placements.size() : 0) + 2;
    EXPECT_EQ(CountCalls("ProgressDelta 102 1"), steps + 1);
    EXPECT_EQ(CountCalls("SetItemText 100 Creating shortcuts...") == 1, c.shortcutPhase);
    // The registry and the record are written whether or not shortcuts are made.
    EXPECT_EQ(Script().log.size(), c.shortcutPhase ? 5u : 4u);
    EXPECT_TRUE(Completed());
  }
}

TEST_F(InstallWorkerTest, CancelAnsweredNoIsAskedAgainAtEveryCheckPointThenCompletes) {
  UsePackage(3, {0, 2});
  Script().actIn = "CreateInstallFolders";
  Script().act = [] { ProgressDialogCancel(); };
  system.answers.assign(6, kIdNo);  // 3 files, 2 shortcuts, the end
  RunInstall(true, false);

  const std::vector<Box> questions = Questions();
  ASSERT_EQ(questions.size(), 6u);
  for (const Box& box : questions) {
    EXPECT_EQ(box.owner, kProgress);
    EXPECT_EQ(box.caption, "Cancel Installation");
    EXPECT_EQ(box.style, kMbYesNo | kMbIconQuestion);
  }
  EXPECT_EQ(cancelRequested.load(), 1);  // No leaves the request standing
  EXPECT_TRUE(Completed());
  EXPECT_EQ(CountCalls("ProgressDelta 102 1"), 8u);
  ExpectClosedOnce();
}

TEST_F(InstallWorkerTest, YesAtTheLastCheckPointRollsEverythingBack) {
  UsePackage(2, {0});
  Script().actIn = "CreateInstallFolders";
  Script().act = [] { ProgressDialogCancel(); };
  system.answers = {kIdNo, kIdNo, kIdNo, kIdYes};
  RunInstall(true, false);

  EXPECT_EQ(Questions().size(), 4u);
  EXPECT_FALSE(Completed());
  EXPECT_EQ(CountCalls("SetItemText 100 Done."), 0u);
  const std::vector<std::string> tail(Script().log.end() - 4, Script().log.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"RemoveCopiedFiles", "RemoveShortcuts",
                                            "RemoveCreatedFolders", "RemoveUninstallRegistry"}));
  ExpectClosedOnce();
}

TEST_F(InstallWorkerTest, CancelDuringTheRegistryIsAskedOnlyAtTheEnd) {
  UsePackage(2, {0});
  Script().actIn = "WriteUninstallRegistry";
  Script().act = [] { ProgressDialogCancel(); };
  system.answers = {kIdYes};
  RunInstall(true, false);

  EXPECT_EQ(Questions().size(), 1u);
  EXPECT_EQ(Script().log.back(), "RemoveUninstallRegistry");
  EXPECT_FALSE(Completed());
  ExpectClosedOnce();
}

TEST_F(InstallWorkerTest, RegistryFailureIsReportedWithoutOwnerAndNothingIsRolledBack) {
  UsePackage(2, {0});
  Script().registryFails = true;
  RunInstall(true, false);

  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].owner, nullptr);
  EXPECT_EQ(system.boxes[0].text, "Unexpected error accessing the system registry.");
  EXPECT_EQ(system.boxes[0].caption, "Unexpected Error");
  EXPECT_EQ(system.boxes[0].style, kMbOk);
  EXPECT_EQ(Script().log, (std::vector<std::string>{"CreateInstallFolders", "CopyPackageFiles",
                                                    "CreateShortcuts",
                                                    "WriteUninstallRegistry"}));
  EXPECT_EQ(CountCalls("SetItemText 100 Done."), 0u);
  ExpectClosedOnce();
}

TEST_F(InstallWorkerTest, APhaseThatStopsEndsTheRunWithItsOwnClose) {
  for (const bool folders : {true, false}) {
    SCOPED_TRACE(folders ? "folders" : "copy");
    ResetInstallRun();
    ResetInstallPackage();
    ResetPhaseScript();
    system.calls.clear();
    system.boxes.clear();
    UsePackage(3, {0});
    Script().foldersFail = folders;
    Script().copyFailsAt = folders ? -1 : 1;
    RunInstall(true, false);

    EXPECT_EQ(Script().log.back(), folders ? "CreateInstallFolders" : "CopyPackageFiles");
    EXPECT_EQ(CountCalls("SetItemText 100 Updating registry..."), 0u);
    EXPECT_TRUE(system.boxes.empty());
    ExpectClosedOnce();
  }
}

TEST_F(InstallWorkerTest, AnUnwrittenRecordStillCompletes) {
  UsePackage(1, {});
  Script().recordFails = true;
  RunInstall(true, false);
  EXPECT_TRUE(Completed());
  ExpectClosedOnce();
}

// The close box, Alt+F4 and the system menu while the worker runs: a cancel request, so
// the run is asked at its next check point, rolled back on Yes and the dialog destroyed
// only by the worker's own close.
TEST_F(InstallWorkerTest, CloseFromTheCaptionDuringTheRunActsAsCancel) {
  UsePackage(3, {0});
  Script().actIn = "CreateInstallFolders";
  Script().act = [this] { system.CloseWindow(kProgress); };
  system.answers = {kIdYes};
  RunInstall(true, false);

  EXPECT_EQ(Questions().size(), 1u);
  EXPECT_EQ(Script().log, (std::vector<std::string>{"CreateInstallFolders", "CopyPackageFiles",
                                                    "cancel at file 0", "RemoveCopiedFiles",
                                                    "RemoveCreatedFolders"}));
  EXPECT_EQ(Package().files.size(), 0u);
  EXPECT_EQ(CountCalls("CloseWindow 512"), 2u);  // the caption's, then the worker's
  EXPECT_EQ(CountCalls("DestroyDialog 512"), 1u);
  EXPECT_EQ(CountCalls("PostQuit 0"), 1u);
}

}  // namespace
}  // namespace qinstall
