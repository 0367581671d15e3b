// The start-up: the platform check, the data file from the current folder, the dialog.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "dialog_harness.h"
#include "package_bytes.h"
#include "ui/installer_startup.h"

namespace qinstall {
namespace {

const char kDataFileMessage[] =
    "Error accessing installation data file. File either doesn't exist or is currupted.";

// Runs the start-up with the given folder as the current one.
class InstallerStartupTest : public DialogHarness {
 protected:
  InstallerStartupTest() {
    char here[4096];
    previous = getcwd(here, sizeof here) != nullptr ? here : "/";
  }
  ~InstallerStartupTest() override { EXPECT_EQ(chdir(previous.c_str()), 0); }

  bool StartIn(const TempFolder& folder) {
    EXPECT_EQ(chdir(folder.path().c_str()), 0);
    return StartInstaller();
  }

  static std::string SamplePackage() {
    return PackageStart("Tool", "%windows%\\Tool") + U16(1) + Str("Readme.txt") + U16(0) +
           Str("Programs\\Tool") + U16(0);
  }

  std::string previous;
  TempFolder folder;
};

TEST_F(InstallerStartupTest, RefusesWindows3AndNtWithoutTouchingTheDataFile) {
  folder.Write("Install.qsd", SamplePackage());
  const std::pair<std::uint32_t, const char*> refused[] = {
      {kPlatformWin32s, "This program will not run under Windows 3.x."},
      {kPlatformNt, "This program will not run under Windows NT."},
  };
  for (const auto& [platform, message] : refused) {
    SCOPED_TRACE(platform);
    system.boxes.clear();
    system.platformId = platform;
    EXPECT_FALSE(StartIn(folder));
    ASSERT_EQ(system.boxes.size(), 1u);
    EXPECT_EQ(system.boxes[0].owner, nullptr);
    EXPECT_EQ(system.boxes[0].text, message);
    EXPECT_EQ(system.boxes[0].caption, "Error");
    EXPECT_EQ(system.boxes[0].style, kMbOk);
    EXPECT_EQ(system.readCalls, 0);
    EXPECT_TRUE(system.calls.empty());
  }
}

TEST_F(InstallerStartupTest, TheWindows95FamilyLoadsThePackageAndOpensTheDialog) {
  folder.Write("Install.qsd", SamplePackage());
  system.platformId = kPlatformWindows;
  ASSERT_TRUE(StartIn(folder));
  EXPECT_TRUE(system.boxes.empty());
  EXPECT_STREQ(Package().productName, "Tool");
  EXPECT_EQ(system.calls.front(), "CreateModelessDialog 1");
  EXPECT_EQ(system.GetItemText(nullptr, IDC_DESTINATION_EDIT, 300), "C:\\WINDOWS\\Tool");
  EXPECT_EQ(system.openFiles, 0);
}

TEST_F(InstallerStartupTest, AMissingOrBrokenDataFileEndsWithItsMessage) {
  const std::string broken[] = {"", "QSD" + Byte(2), SamplePackage().substr(0, 20)};
  for (const std::string& bytes : broken) {
    TempFolder here;
    if (!bytes.empty()) here.Write("Install.qsd", bytes);
    system.boxes.clear();
    system.calls.clear();
    EXPECT_FALSE(StartIn(here));
    ASSERT_EQ(system.boxes.size(), 1u);
    EXPECT_EQ(system.boxes[0].text, kDataFileMessage);
    EXPECT_EQ(system.boxes[0].owner, nullptr);
    EXPECT_EQ(system.boxes[0].caption, "Error");
    EXPECT_EQ(system.boxes[0].style, kMbOk);
    EXPECT_TRUE(system.calls.empty());
  }
}

TEST_F(InstallerStartupTest, ThePackageBesideTheProgramIsNotLookedFor) {
  // Only the current folder counts: a package one level down is not found.
  folder.Write("Install.qsd", SamplePackage());
  TempFolder elsewhere;
  EXPECT_FALSE(StartIn(elsewhere));
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].text, kDataFileMessage);
}

}  // namespace
}  // namespace qinstall
