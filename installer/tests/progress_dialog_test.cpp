// The progress dialog's own handlers: its caption, the cancel command and a close that
// does not come from the worker.
#include <gtest/gtest.h>

#include <string>

#include "dialog_harness.h"

namespace qinstall {
namespace {

const WindowHandle kProgress = DialogHandle(IDD_PROGRESS);

using ProgressDialogTest = DialogHarness;

TEST_F(ProgressDialogTest, CaptionCarriesTheWholeProductName) {
  UsePackage(0, {});
  const std::string name(99, 'N');
  std::strcpy(Package().productName, name.c_str());
  ProgressDialogInit(kProgress);
  EXPECT_EQ(system.calls, (std::vector<std::string>{"SetCaptionIcon 2",
                                                    "SetCaption Installing " + name}));
  EXPECT_EQ(qinstall::Run().progressDialog, kProgress);
}

TEST_F(ProgressDialogTest, CancelOnlyRaisesTheFlag) {
  ProgressDialogCancel();
  ProgressDialogCancel();
  EXPECT_EQ(cancelRequested.load(), 1);
  EXPECT_TRUE(system.calls.empty());
}

struct CloseCase {
  WorkerStage stage;
  bool destroys;
  bool cancels;
};

TEST_F(ProgressDialogTest, ACloseDestroysTheDialogOnlyWhenNoWorkerNeedsIt) {
  const CloseCase cases[] = {
      {WorkerStage::Idle, true, false},            // the worker never started
      {WorkerStage::Running, false, true},         // the caption while it works
      {WorkerStage::PastCheckPoints, false, false},  // the worker closes it soon
      {WorkerStage::Closing, true, false},         // the worker's own close
  };
  for (const CloseCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.stage));
    ResetInstallRun();
    system.calls.clear();
    qinstall::Run().progressDialog = kProgress;
    workerStage = c.stage;
    ProgressDialogClose(kProgress);
    EXPECT_EQ(cancelRequested.load(), c.cancels ? 1 : 0);
    if (c.destroys) {
      EXPECT_EQ(system.calls, (std::vector<std::string>{"DestroyDialog 512", "PostQuit 0"}));
      EXPECT_EQ(qinstall::Run().progressDialog, nullptr);
    } else {
      EXPECT_TRUE(system.calls.empty());
      EXPECT_EQ(qinstall::Run().progressDialog, kProgress);
    }
  }
}

}  // namespace
}  // namespace qinstall
