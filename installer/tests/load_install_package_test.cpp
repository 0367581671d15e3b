#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "package/load_install_package.h"
#include "package/package_file.h"
#include "package_bytes.h"
#include "test_system.h"

namespace qinstall {
namespace {

struct Shortcut {
  std::string name, target, iconLocation, description;
  unsigned placement;
};

// A data file's fields in file order.
struct Fields {
  std::string product = "Tavrin Sample";
  std::string destination = "%program files%\\Sample";
  std::vector<std::string> files = {"Readme.txt", "Notes.txt"};
  std::vector<std::string> extras = {"HKCU\\Software\\Sample", "Settings.ini"};
  std::string startMenu = "Programs\\Sample";
  std::vector<Shortcut> shortcuts = {{"Read Me.lnk", "Readme.txt", "ICON1", "DESC1", 0},
                                     {"Notes.lnk", "Notes.txt", "ICON2,3", "DESC2", 7}};
};

std::string UpToStartMenu(const Fields& f) {
  std::string bytes = PackageStart(f.product, f.destination) + U16(f.files.size());
  for (const std::string& file : f.files) bytes += Str(file);
  bytes += U16(f.extras.size());
  for (const std::string& extra : f.extras) bytes += Str(extra);
  return bytes + Str(f.startMenu);
}

std::string Bytes(const Fields& f) {
  std::string bytes = UpToStartMenu(f) + U16(f.shortcuts.size());
  for (const Shortcut& s : f.shortcuts) {
    bytes += Str(s.name) + Str(s.target) + Str(s.iconLocation) + Str(s.description) +
             Byte(s.placement);
  }
  return bytes;
}

class LoadInstallPackageTest : public ::testing::Test {
 protected:
  ~LoadInstallPackageTest() override { ResetInstallPackage(); }

  int Load(const std::string& bytes) { return LoadInstallPackage(folder.Write("Install.qsd", bytes), &report); }

  void ExpectEmptyPackage() {
    const InstallPackage& p = Package();
    EXPECT_STREQ(p.productName, "");
    EXPECT_STREQ(p.destinationFolder, "");
    EXPECT_STREQ(p.startMenuFolder, "");
    EXPECT_EQ(p.files.capacity(), 0u);
    EXPECT_EQ(p.uninstallExtras.capacity(), 0u);
    EXPECT_EQ(p.shortcuts.capacity(), 0u);
  }

  TestSystem system;
  TempFolder folder;
  LoadReport report;
};

TEST_F(LoadInstallPackageTest, MinimalFileLoadsWithNothingToInstall) {
  const std::string bytes = PackageStart() + U16(0) + U16(0) + Str("") + U16(0);
  ASSERT_EQ(Load(bytes), 1) << report.reason;
  const InstallPackage& p = Package();
  EXPECT_STREQ(p.productName, "Product");
  EXPECT_STREQ(p.destinationFolder, "C:\\Product");
  EXPECT_STREQ(p.startMenuFolder, "");
  EXPECT_TRUE(p.files.empty());
  EXPECT_TRUE(p.uninstallExtras.empty());
  EXPECT_TRUE(p.shortcuts.empty());
  EXPECT_EQ(system.allocations, 0);
  EXPECT_EQ(report.offset, bytes.size());
  EXPECT_EQ(system.openFiles, 0);
  EXPECT_TRUE(system.boxes.empty());
}

TEST_F(LoadInstallPackageTest, EveryFieldLandsInItsPlaceWithIconBeforeDescription) {
  ASSERT_EQ(Load(Bytes(Fields{})), 1) << report.reason;
  const InstallPackage& p = Package();
  EXPECT_STREQ(p.productName, "Tavrin Sample");
  EXPECT_STREQ(p.destinationFolder, "%program files%\\Sample");
  ASSERT_EQ(p.files.size(), 2u);
  EXPECT_STREQ(p.files[0].name, "Readme.txt");
  EXPECT_STREQ(p.files[1].name, "Notes.txt");
  ASSERT_EQ(p.uninstallExtras.size(), 2u);
  EXPECT_STREQ(p.uninstallExtras[0].data(), "HKCU\\Software\\Sample");
  EXPECT_STREQ(p.uninstallExtras[1].data(), "Settings.ini");
  EXPECT_STREQ(p.startMenuFolder, "Programs\\Sample");
  ASSERT_EQ(p.shortcuts.size(), 2u);
  EXPECT_STREQ(p.shortcuts[0].name, "Read Me.lnk");
  EXPECT_STREQ(p.shortcuts[0].target, "Readme.txt");
  EXPECT_STREQ(p.shortcuts[0].iconLocation, "ICON1");
  EXPECT_STREQ(p.shortcuts[0].description, "DESC1");
  EXPECT_EQ(p.shortcuts[0].placement, ShortcutPlacement::Both);
  EXPECT_STREQ(p.shortcuts[1].iconLocation, "ICON2,3");
  EXPECT_STREQ(p.shortcuts[1].description, "DESC2");
  EXPECT_EQ(static_cast<unsigned>(p.shortcuts[1].placement), 7u);  // kept, yields no link
  EXPECT_EQ(system.openFiles, 0);
}

TEST_F(LoadInstallPackageTest, WrongMagicOrVersionIsRefused) {
  const std::string rest = Str("P") + Str("D") + U16(0) + U16(0) + Str("") + U16(0);
  const struct {
    std::string bytes;
    const char* field;
  } cases[] = {
      {"qsd" + Byte(1) + rest, "magic"},
      {"QSU" + Byte(1) + rest, "magic"},
      {"QSD" + Byte(2) + rest, "version"},
      {"QSD" + Byte(0) + rest, "version"},
      {"QS", "magic"},
      {"QSD", "version"},
      {"", "magic"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(Load(c.bytes), 0);
    EXPECT_EQ(report.field, c.field);
    EXPECT_EQ(system.openFiles, 0);
    ExpectEmptyPackage();
  }
}

// A value that fills its bound with no terminator is refused rather than cut short.
TEST_F(LoadInstallPackageTest, StringsAreBoundedPerField) {
  const struct {
    const char* field;
    std::size_t longest;
    void (*set)(Fields&, const std::string&);
  } cases[] = {
      {"productName", 99, [](Fields& f, const std::string& v) { f.product = v; }},
      {"destinationFolder", 259, [](Fields& f, const std::string& v) { f.destination = v; }},
      {"files[1].name", 259, [](Fields& f, const std::string& v) { f.files[1] = v; }},
      {"uninstallExtras[0]", 149, [](Fields& f, const std::string& v) { f.extras[0] = v; }},
      {"startMenuFolder", 259, [](Fields& f, const std::string& v) { f.startMenu = v; }},
      {"shortcuts[1].name", 259, [](Fields& f, const std::string& v) { f.shortcuts[1].name = v; }},
      {"shortcuts[0].target", 259,
       [](Fields& f, const std::string& v) { f.shortcuts[0].target = v; }},
      {"shortcuts[0].iconLocation", 259,
       [](Fields& f, const std::string& v) { f.shortcuts[0].iconLocation = v; }},
      {"shortcuts[1].description", 99,
       [](Fields& f, const std::string& v) { f.shortcuts[1].description = v; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    Fields fits;
    c.set(fits, std::string(c.longest, 'x'));
    EXPECT_EQ(Load(Bytes(fits)), 1) << report.reason;
    EXPECT_EQ(Bytes(fits).size(), report.offset);

    Fields over;
    c.set(over, std::string(c.longest + 1, 'x'));
    EXPECT_EQ(Load(Bytes(over)), 0);
    EXPECT_EQ(report.field, c.field);
    EXPECT_EQ(report.offset - report.fieldOffset, c.longest + 1);
    EXPECT_NE(report.reason.find("no terminator"), std::string::npos) << report.reason;
    ExpectEmptyPackage();
  }
}

TEST_F(LoadInstallPackageTest, UnterminatedNameConsumesExactlyItsBound) {
  const std::string path =
      folder.Write("s", std::string(100, 'N') + "D" + Str("EST") + std::string(99, 'x') + Str("") + Str(""));
  LoadReport unused;
  PackageFile file;
  ASSERT_EQ(OpenPackageFile(path, &file, unused), 1);
  char name[kNameSize];
  std::memset(name, 'z', sizeof name);
  EXPECT_EQ(ReadBoundedString(file, name, kNameSize), 0);
  EXPECT_EQ(file.fault, ReadFault::Unterminated);
  EXPECT_EQ(file.offset, 100u);
  EXPECT_EQ(std::strlen(name), 99u);  // terminated inside its buffer

  char next[kPathSize];
  EXPECT_EQ(ReadBoundedString(file, next, kPathSize), 1);
  EXPECT_STREQ(next, "DEST");  // the 101st byte begins the next field
  EXPECT_EQ(file.offset, 105u);
  EXPECT_EQ(ReadBoundedString(file, name, kNameSize), 1);  // 99 characters and terminator
  EXPECT_EQ(file.offset, 205u);
  EXPECT_EQ(ReadBoundedString(file, name, kNameSize), 1);
  EXPECT_STREQ(name, "");
  EXPECT_EQ(ReadBoundedString(file, name, kNameSize), 0);
  EXPECT_EQ(file.fault, ReadFault::Ended);
  Files().CloseFile(file.handle);
  EXPECT_EQ(system.readCalls, 207);  // one call per byte, one more to find the end
}

TEST_F(LoadInstallPackageTest, EachExtraKeepsItsOwnSlot) {
  Fields f;
  f.extras = {std::string(149, 'a'), std::string(149, 'b'), ""};
  ASSERT_EQ(Load(Bytes(f)), 1) << report.reason;
  const auto& extras = Package().uninstallExtras;
  ASSERT_EQ(extras.size(), 3u);
  EXPECT_EQ(std::string(extras[0].data()), std::string(149, 'a'));
  EXPECT_EQ(std::string(extras[1].data()), std::string(149, 'b'));
  EXPECT_STREQ(extras[2].data(), "");
}

TEST_F(LoadInstallPackageTest, TrailingBytesAreIgnored) {
  const std::string bytes = Bytes(Fields{});
  ASSERT_EQ(Load(bytes + "QSD\1 and more"), 1) << report.reason;
  EXPECT_EQ(report.offset, bytes.size());
  EXPECT_EQ(Package().shortcuts.size(), 2u);
}

// Only the end of the whole file, or an end right after the Start Menu folder, loads.
TEST_F(LoadInstallPackageTest, EveryShortenedFileFailsButTheShortcutCountException) {
  const Fields f;
  const std::string bytes = Bytes(f);
  const std::size_t startMenuEnd = UpToStartMenu(f).size();
  for (std::size_t length = 0; length <= bytes.size(); ++length) {
    SCOPED_TRACE(length);
    const bool loads = length == bytes.size() || length == startMenuEnd;
    EXPECT_EQ(Load(bytes.substr(0, length)), loads ? 1 : 0);
    EXPECT_EQ(system.openFiles, 0);
    if (!loads) {
      EXPECT_EQ(report.offset, length);  // it stops where the file ends
      EXPECT_NE(report.reason.find("the file ends"), std::string::npos) << report.reason;
      ExpectEmptyPackage();
    }
  }
  ASSERT_EQ(Load(bytes.substr(0, startMenuEnd + 1)), 0);
  EXPECT_EQ(report.field, "shortcuts[0].name");  // the count read as 2
}

TEST_F(LoadInstallPackageTest, ShortcutCountCutByTheEndReadsMissingBytesAsZero) {
  Fields f;
  f.shortcuts.clear();
  const std::string upTo = UpToStartMenu(f);
  EXPECT_EQ(Load(upTo), 1) << report.reason;
  EXPECT_EQ(Load(upTo + Byte(0)), 1) << report.reason;
  EXPECT_TRUE(Package().shortcuts.empty());
  EXPECT_STREQ(Package().startMenuFolder, "Programs\\Sample");
  EXPECT_EQ(Load(upTo + Byte(1)), 0);
  EXPECT_EQ(report.field, "shortcuts[0].name");
}

TEST_F(LoadInstallPackageTest, FullSixteenBitCountsAreUnsigned) {
  std::string bytes = PackageStart() + U16(65535);
  for (int i = 0; i < 65535; ++i) bytes += Str("f");
  bytes += U16(0) + Str("") + U16(0);
  ASSERT_EQ(Load(bytes), 1) << report.reason;
  EXPECT_EQ(Package().files.size(), 65535u);
  EXPECT_STREQ(Package().files[65534].name, "f");
}

TEST_F(LoadInstallPackageTest, FailedLoadReleasesWhatAnEarlierLoadFilled) {
  const std::string bytes = Bytes(Fields{});
  ASSERT_EQ(Load(bytes), 1);
  EXPECT_EQ(Load(bytes.substr(0, bytes.size() - 1)), 0);
  EXPECT_EQ(report.field, "shortcuts[1].placement");
  ExpectEmptyPackage();
}

TEST_F(LoadInstallPackageTest, FailedAllocationShowsOutOfMemoryAndReleasesEveryList) {
  const char* lists[] = {"files", "uninstallExtras", "shortcuts"};
  for (int n = 1; n <= 3; ++n) {
    SCOPED_TRACE(n);
    system.boxes.clear();
    system.allocations = 0;
    system.failAllocation = n;
    EXPECT_EQ(Load(Bytes(Fields{})), 0);
    EXPECT_TRUE(report.outOfMemory);
    EXPECT_EQ(report.field, lists[n - 1]);
    ASSERT_EQ(system.boxes.size(), 1u);
    EXPECT_EQ(system.boxes[0].text, "Out of memory.");
    EXPECT_EQ(system.boxes[0].caption, "Error");
    EXPECT_EQ(system.boxes[0].style, kMbOk | kMbIconError);
    EXPECT_EQ(system.boxes[0].owner, nullptr);
    EXPECT_EQ(system.openFiles, 0);
    ExpectEmptyPackage();
  }
}

TEST_F(LoadInstallPackageTest, AFailedReadCallAnywhereFailsTheLoad) {
  const std::string bytes = Bytes(Fields{});
  ASSERT_EQ(Load(bytes), 1);
  const int calls = system.readCalls;
  for (int n = 1; n <= calls; ++n) {
    SCOPED_TRACE(n);
    system.readCalls = 0;
    system.failReadCall = n;
    EXPECT_EQ(Load(bytes), 0);
    EXPECT_NE(report.reason.find("a read failed"), std::string::npos) << report.reason;
    EXPECT_EQ(system.openFiles, 0);
    ExpectEmptyPackage();
  }
  EXPECT_TRUE(system.boxes.empty());
}

TEST_F(LoadInstallPackageTest, MissingFileOrFolderFailsWithoutAMessage) {
  EXPECT_EQ(LoadInstallPackage(folder.path() + "/Install.qsd", &report), 0);
  EXPECT_TRUE(report.field.empty());
  EXPECT_NE(report.reason.find("cannot be opened"), std::string::npos);
  EXPECT_EQ(LoadInstallPackage(folder.path(), &report), 0);
  EXPECT_TRUE(system.boxes.empty());
  EXPECT_EQ(system.openFiles, 0);
}

// A file's or a shortcut's name must not reach outside the folder it is written to.
TEST_F(LoadInstallPackageTest, NamesThatLeaveTheirFolderAreRefused) {
  struct Case {
    std::string name;
    const char* reason;  // nullptr: the name is kept
  };
  const std::vector<Case> cases = {
      {"Sub\\File.txt", nullptr},
      {"Read.Me.txt", nullptr},
      {".profile", nullptr},
      {"Sub\\.\\File.txt", nullptr},
      {"File..txt", nullptr},
      {"..\\Evil.txt", "it has a \"..\" level"},
      {"Sub\\..\\..\\Evil.txt", "it has a \"..\" level"},
      {"Sub/../Evil.txt", "it has a \"..\" level"},
      {"...\\Evil.txt", "it has a \"..\" level"},
      {".. \\Evil.txt", "it has a \"..\" level"},
      {"Sub\\. .\\Evil.txt", "it has a \"..\" level"},
      {". \\File.txt", nullptr},
      {"..", "it has a \"..\" level"},
      {"\\WINDOWS\\Evil.dll", "it is an absolute path"},
      {"/etc/passwd", "it is an absolute path"},
      {"\\\\server\\share\\Evil.txt", "it is an absolute path"},
      {"C:\\WINDOWS\\Evil.dll", "it begins with a drive letter"},
      {"c:Evil.txt", "it begins with a drive letter"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (const bool inShortcut : {false, true}) {
      Fields f;
      f.files.push_back(inShortcut ? "Plain.txt" : c.name);
      f.shortcuts[1].name = inShortcut ? c.name : "Notes.lnk";
      const int loaded = Load(Bytes(f));
      EXPECT_EQ(loaded, c.reason == nullptr ? 1 : 0);
      if (c.reason == nullptr) continue;
      EXPECT_EQ(report.field, inShortcut ? "shortcuts[1].name" : "files[2].name");
      EXPECT_EQ(report.reason,
                "the name \"" + c.name + "\" would reach outside its folder: " + c.reason);
      ExpectEmptyPackage();
      EXPECT_EQ(system.openFiles, 0);
      EXPECT_TRUE(system.boxes.empty());
    }
  }
}

}  // namespace
}  // namespace qinstall
