// Two parcelo95 split runs at once into one folder: the first holds a question on its
// terminal while the second starts.
#include <algorithm>
#include <filesystem>
#include <string>

#include "cli_run.h"

namespace parcelo {
namespace {
namespace fs = std::filesystem;

using CliSplitLock = CliTest;

const char kNoReminders[] = "--set=NoReminders=1";
const char kRetryPrompt[] = "[R]etry / [C]ancel? ";
constexpr int kQuestionTimeoutMs = 30000;
constexpr int kEndTimeoutMs = 60000;

std::string DosPath(const std::string& hostPath) {
  std::string dos = "C:" + hostPath;
  std::replace(dos.begin(), dos.end(), '/', '\\');
  return dos;
}

TEST_F(CliSplitLock, ASecondRunIntoTheSameJoinFileFailsAtOnce) {
  // A folder where the second piece goes holds the first run at "Retry / Cancel", with its
  // first piece written.
  MakeFolder("Out/SRC.001");
  const std::string first = MakeFile("SRC.DAT", 2500);
  const std::string second = MakeFile("New/SRC.DAT", 2700);
  auto held = Start({"split", "SRC.DAT", "Out", "--size", "1000", kNoReminders});
  ASSERT_NE(held, nullptr) << "no pseudo-terminal";
  ASSERT_TRUE(held->WaitFor(kRetryPrompt, kQuestionTimeoutMs)) << held->shown;
  const auto during = Snapshot(Path("Out"));

  const CliResult refused = Run({"split", "New/SRC.DAT", "Out", "--size", "1000", kNoReminders});
  EXPECT_EQ(refused.status, 1);
  EXPECT_EQ(refused.err, "Another split is writing \"Join-SRC.DAT.bat\" in " + DosPath(Path("Out")) +
                             " right now. Wait until it has finished, then split again.\n");
  EXPECT_EQ(Snapshot(Path("Out")), during) << "the second run wrote nothing";

  fs::remove(Path("Out/SRC.001"));
  held->Type("r\n");
  ASSERT_EQ(held->Wait(kEndTimeoutMs), 0) << held->Err();
  EXPECT_EQ(List("Out"), (std::vector<std::string>{"Join-SRC.DAT.bat", "SRC.000", "SRC.001",
                                                   "SRC.002", "SRC.SFV"}));
  ASSERT_EQ(Run({"join", "Out"}).status, 0);
  EXPECT_EQ(Read("Out/SRC.DAT"), first);

  // Once the first has ended, the same run goes through.
  fs::remove(Path("Out/SRC.DAT"));
  ASSERT_EQ(Run({"split", "New/SRC.DAT", "Out", "--size", "1000", kNoReminders}).status, 0);
  ASSERT_EQ(Run({"join", "Out"}).status, 0);
  EXPECT_EQ(Read("Out/SRC.DAT"), second);
}

TEST_F(CliSplitLock, ASecondSourceOfTheSameShortNameTakesTheNextTail) {
  // Both are HOLIDA~1 in their folders; neither has a join file yet while both run.
  MakeFolder("Out/HOLIDA~1.001");
  const std::string photos = MakeFile("a/Holiday Photos.avi", 2500);
  const std::string video = MakeFile("b/Holiday Video.avi", 2500);
  auto held = Start({"split", "a/Holiday Photos.avi", "Out", "--size", "1000", kNoReminders});
  ASSERT_NE(held, nullptr) << "no pseudo-terminal";
  ASSERT_TRUE(held->WaitFor(kRetryPrompt, kQuestionTimeoutMs)) << held->shown;

  const CliResult other = Run({"split", "b/Holiday Video.avi", "Out", "--size", "1000", kNoReminders});
  EXPECT_EQ(other.status, 0) << other.err;
  EXPECT_EQ(List("Out"), (std::vector<std::string>{"HOLIDA~1.000", "HOLIDA~1.001", "HOLIDA~2.000",
                                                   "HOLIDA~2.001", "HOLIDA~2.002", "HOLIDA~2.SFV",
                                                   "Join-Holiday Video.avi.bat"}));

  fs::remove(Path("Out/HOLIDA~1.001"));
  held->Type("r\n");
  ASSERT_EQ(held->Wait(kEndTimeoutMs), 0) << held->Err();
  ASSERT_EQ(Run({"join", "Out/Join-Holiday Photos.avi.bat"}).status, 0);
  ASSERT_EQ(Run({"join", "Out/Join-Holiday Video.avi.bat"}).status, 0);
  EXPECT_EQ(Read("Out/Holiday Photos.avi"), photos);
  EXPECT_EQ(Read("Out/Holiday Video.avi"), video);
}

}  // namespace
}  // namespace parcelo
