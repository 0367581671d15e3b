// The icon location's split and the links the shortcut phase writes from it.
#include <gtest/gtest.h>

#include "install_world.h"
#include "phases/icon_location.h"
#include "phases/install_phases.h"
#include "platform/posix/link_file.h"

namespace qinstall {
namespace {

TEST(SplitIconIndexTest, FollowsTheLastCommaBetweenTheEnds) {
  struct Case {
    std::string path;
    std::string file;
    unsigned index;
  };
  const Case cases[] = {
      {"C:\\App\\Tool.exe", "C:\\App\\Tool.exe", 0},
      {"C:\\App\\Tool.exe,", "C:\\App\\Tool.exe,", 0},  // the last character is not looked at
      {"C:\\App\\Tool.exe,2", "C:\\App\\Tool.exe", 2},
      {"C:\\App\\", "C:\\App\\", 0},                     // an empty location
      {"C:\\A,b\\Tool.exe", "C:\\A", 0},                 // a comma in the folder's name
      {"C:\\A,b\\Tool.exe,7", "C:\\A,b\\Tool.exe", 7},
      {",5", ",5", 0},                                   // the first character is not either
      {"x,5", "x", 5},
      {"x, -1", "x", 65535},
      {"x,+12abc", "x", 12},
      {"x,70000", "x", 70000 - 65536},
      {"x,99999999999999999999", "x", 65535},            // 10^20 - 1, modulo 65536
      {"x,a7", "x", 0},
  };
  for (const Case& c : cases) {
    std::string path = c.path;
    EXPECT_EQ(SplitIconIndex(&path), c.index) << c.path;
    EXPECT_EQ(path, c.file) << c.path;
  }
}

ShellLink ReadLink(const InstallWorld& world, const std::string& path) {
  ShellLink link;
  EXPECT_TRUE(ParseLinkFile(world.Read(path), &link)) << path;
  return link;
}

TEST(ShortcutsTest, IconLocationsReachTheLinks) {
  InstallWorld world;
  world.SetPackage({}, {{"Plain.lnk", "Tool.exe", "d", "Tool.exe", 1},
                        {"Indexed.lnk", "Tool.exe", "d", "Tool.exe,2", 1},
                        {"Empty.lnk", "Tool.exe", "d", "", 1}},
                   {}, "C:\\Apps\\A,b");
  world.RunInstall();
  const std::string menu = std::string(InstallWorld::kStartMenu) + "\\";
  // With no index of its own, the comma in the destination's name splits the path.
  const ShellLink plain = ReadLink(world, menu + "Plain.lnk");
  EXPECT_EQ(plain.iconPath, "C:\\Apps\\A");
  EXPECT_EQ(plain.iconIndex, 0);
  EXPECT_EQ(plain.target, "C:\\Apps\\A,b\\Tool.exe");
  const ShellLink indexed = ReadLink(world, menu + "Indexed.lnk");
  EXPECT_EQ(indexed.iconPath, "C:\\Apps\\A,b\\Tool.exe");
  EXPECT_EQ(indexed.iconIndex, 2);
  const ShellLink empty = ReadLink(world, menu + "Empty.lnk");
  EXPECT_EQ(empty.iconPath, "C:\\Apps\\A");  // "C:\Apps\A,b\", split at the same comma
  EXPECT_EQ(empty.iconIndex, 0);
}

// Odd placements and choices that are off make no link but still step; a link that cannot
// be saved is passed over without a word.
TEST(ShortcutsTest, EveryEntryStepsWhetherOrNotItMakesALink) {
  InstallWorld world;
  world.SetPackage({}, {{"Odd.lnk", "x.exe", "", "", 3},
                        {"Desk.lnk", "x.exe", "", "", 2},
                        {"Fails.lnk", "x.exe", "", "", 1},
                        {"Made.lnk", "x.exe", "", "", 0}});
  world.system.FailCall("SaveShellLink", 1);
  world.RunInstall();
  EXPECT_EQ(world.Steps(), 1 + 4 + 2);
  EXPECT_EQ(world.BoxTexts(), std::vector<std::string>{"Installation is now complete."});
  const std::string menu = std::string(InstallWorld::kStartMenu) + "\\";
  EXPECT_FALSE(world.Exists(menu + "Odd.lnk"));
  EXPECT_FALSE(world.Exists("C:\\WINDOWS\\Desktop\\Desk.lnk"));
  EXPECT_FALSE(world.Exists(menu + "Fails.lnk"));
  EXPECT_TRUE(world.Exists(menu + "Made.lnk"));
  EXPECT_FALSE(world.Exists("C:\\WINDOWS\\Desktop\\Made.lnk"));
}

}  // namespace
}  // namespace qinstall
