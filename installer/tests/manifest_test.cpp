#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "test_system.h"
#include "tools/manifest.h"

namespace qinstall {
namespace {

const std::string kProduct = "[product]\nname = P\n";

class ManifestTest : public ::testing::Test {
 protected:
  // The text of every issue as "LINE: error: TEXT" or "LINE: warning: TEXT".
  std::string Issues(const std::string& text, bool force = false) {
    manifest = Manifest{};
    ParseManifest(text, force, &manifest);
    std::string all;
    for (const ManifestIssue& issue : manifest.issues) {
      all += std::to_string(issue.line) + (issue.isError ? ": error: " : ": warning: ") +
             issue.text + "\n";
    }
    return all;
  }

  TestSystem system;
  Manifest manifest;
};

TEST_F(ManifestTest, ReadsEverySectionWithCommentsQuotesAndLineEnds) {
  const std::string text =
      "\xEF\xBB\xBF# comment\r\n"
      "[Product]\r\n"
      "  Name =   Sample   \r\n"
      "destination=%windows%\\Sample\r\n"
      "[files]\n"
      "a.exe\n"
      "  ; not a file\n"
      "\"#odd name\"\n"
      "[extras]\n"
      "\" keep blanks \"\n"
      "key = value stays whole\n"
      "[start menu]\n"
      "folder =\n"
      "[shortcut]\n"
      "name = A.lnk\n"
      "target = a.exe\n"
      "[shortcut]\n"
      "name = B.lnk\n"
      "target = a.exe\n"
      "description = Bee\n"
      "icon = a.exe,2\n"
      "placement = Start Menu\n"
      "[SHORTCUT]\n"
      "name = C.lnk\n"
      "target = a.exe\n"
      "placement = 2\n";
  EXPECT_EQ(Issues(text), "");
  const InstallPackage& p = manifest.package;
  EXPECT_STREQ(p.productName, "Sample");
  EXPECT_STREQ(p.destinationFolder, "%windows%\\Sample");
  ASSERT_EQ(p.files.size(), 2u);
  EXPECT_STREQ(p.files[1].name, "#odd name");
  EXPECT_EQ(manifest.fileLines, (std::vector<int>{6, 8}));
  ASSERT_EQ(p.uninstallExtras.size(), 2u);
  EXPECT_STREQ(p.uninstallExtras[0].data(), " keep blanks ");
  EXPECT_STREQ(p.uninstallExtras[1].data(), "key = value stays whole");
  EXPECT_STREQ(p.startMenuFolder, "");
  ASSERT_EQ(p.shortcuts.size(), 3u);
  EXPECT_EQ(p.shortcuts[0].placement, ShortcutPlacement::Both);
  EXPECT_STREQ(p.shortcuts[0].description, "");
  EXPECT_STREQ(p.shortcuts[1].description, "Bee");
  EXPECT_STREQ(p.shortcuts[1].iconLocation, "a.exe,2");
  EXPECT_EQ(p.shortcuts[1].placement, ShortcutPlacement::StartMenuOnly);
  EXPECT_EQ(p.shortcuts[2].placement, ShortcutPlacement::DesktopOnly);
}

TEST_F(ManifestTest, ValuesLongerThanTheirFieldAreRefusedWithTheirLine) {
  const struct {
    std::string text;
    std::size_t longest;
    const char* what;
    std::string fitting;  // the issues of the longest value that fits
  } cases[] = {
      {"[product]\nname = ", 99, "product name",
       "2: warning: product name is 99 characters long; Windows 98's Add/Remove Programs lists "
       "no name longer than 63, so the product could not be removed from the Control Panel\n"},
      {kProduct + "destination = ", 259, "destination folder", ""},
      {kProduct + "[files]\n", 259, "file name", ""},
      {kProduct + "[extras]\n", 149, "extra", ""},
      {kProduct + "[start menu]\nfolder = ", 259, "Start Menu folder", ""},
      {kProduct + "[shortcut]\ntarget = t\nname = ", 259, "shortcut name", ""},
      {kProduct + "[shortcut]\nname = n\ntarget = ", 259, "shortcut target", ""},
      {kProduct + "[shortcut]\nname = n\ntarget = t\ndescription = ", 99, "description", ""},
      {kProduct + "[shortcut]\nname = n\ntarget = t\nicon = ", 259, "icon", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int line = static_cast<int>(std::count(c.text.begin(), c.text.end(), '\n')) + 1;
    EXPECT_EQ(Issues(c.text + std::string(c.longest, 'x') + "\n"), c.fitting);
    EXPECT_EQ(Issues(c.text + std::string(c.longest + 1, 'x') + "\n"),
              std::to_string(line) + ": error: " + c.what + " is " +
                  std::to_string(c.longest + 1) + " characters long; at most " +
                  std::to_string(c.longest) + " fit\n");
  }
}

TEST_F(ManifestTest, FileNamesMustStayInsideTheDestination) {
  const char* refused[] = {"/etc/passwd", "\\WINDOWS\\WIN.INI", "C:\\AUTOEXEC.BAT", "C:x",
                           "..\\up.txt", "..", "a/../../b", "docs\\...\\b", ".. \\b", "a\\. .\\b"};
  for (const char* name : refused) {
    SCOPED_TRACE(name);
    const std::string issues = Issues(kProduct + "[files]\n" + name + "\n");
    EXPECT_EQ(issues.rfind("4: error: file name ", 0), 0u) << issues;
    EXPECT_TRUE(manifest.package.files.empty());
  }
  EXPECT_EQ(Issues(kProduct + "[files]\na..b.txt\n.hidden\n"), "");
  EXPECT_EQ(Issues(kProduct + "[files]\ndocs\\a.txt\n"),
            "4: warning: file name docs\\a.txt is in a subfolder; the installer creates no "
            "folder below the destination folder, so it must already exist there\n");
  EXPECT_EQ(manifest.package.files.size(), 1u);
}

TEST_F(ManifestTest, ExtrasFollowTheUninstallersRules) {
  EXPECT_EQ(Issues(kProduct + "[extras]\nHKEY_CURRENT_USER\\Software\\Tavrin\\Notes\n"
                   "HKEY_LOCAL_MACHINE\\SOFTWARE\\Tavrin\nCache\\Index.dat\n"),
            "");
  EXPECT_EQ(manifest.package.uninstallExtras.size(), 3u);
  const struct {
    const char* extra;
    const char* issue;
  } cases[] = {
      {"HKEY_LOCAL_MACHINE\\Software",
       "4: error: registry key HKEY_LOCAL_MACHINE\\Software is less than two levels below its "
       "hive; the uninstaller would refuse to remove the product\n"},
      {"HKEY_CURRENT_USER\\Software\\Microsoft",
       "4: error: registry key HKEY_CURRENT_USER\\Software\\Microsoft is one of the system's own "
       "keys; the uninstaller would refuse to remove the product\n"},
      {"..\\Shared\\a.dll",
       "4: error: file name ..\\Shared\\a.dll climbs out of its folder with '..'; the "
       "uninstaller would refuse to remove the product\n"},
      {"C:\\WINDOWS\\WIN.INI",
       "4: error: file name C:\\WINDOWS\\WIN.INI names a drive; the uninstaller would refuse "
       "to remove the product\n"},
      {"HKCU\\Software\\Tavrin",
       "4: warning: extra HKCU\\Software\\Tavrin is taken as a file name; a registry key "
       "begins with HKEY_CURRENT_USER\\ or HKEY_LOCAL_MACHINE\\\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Issues(kProduct + "[extras]\n" + c.extra + "\n"), c.issue) << c.extra;
  }
  EXPECT_EQ(manifest.package.uninstallExtras.size(), 1u);  // a warning keeps the extra
}

TEST_F(ManifestTest, ShortcutNamesStayInTheirFolder) {
  const std::string shortcut = kProduct + "[shortcut]\ntarget = t\nname = ";
  EXPECT_EQ(Issues(shortcut + "Tool\\Tool.lnk\n"), "");
  EXPECT_EQ(Issues(shortcut + "..\\Tool.lnk\n"),
            "5: error: shortcut name ..\\Tool.lnk would reach outside its folder: it has a "
            "\"..\" level\n");
  EXPECT_EQ(Issues(shortcut + "C:\\Tool.lnk\n"),
            "5: error: shortcut name C:\\Tool.lnk would reach outside its folder: it begins "
            "with a drive letter\n");
}

TEST_F(ManifestTest, PlacementOutsideZeroToTwoNeedsForce) {
  const std::string shortcut = kProduct + "[shortcut]\nname = n\ntarget = t\nplacement = ";
  EXPECT_NE(Issues(shortcut + "3\n").find("6: error: placement 3 makes no shortcut file"),
            std::string::npos);
  EXPECT_EQ(Issues(shortcut + "3\n", true), "");
  EXPECT_EQ(static_cast<unsigned>(manifest.package.shortcuts[0].placement), 3u);
  EXPECT_EQ(Issues(shortcut + "255\n", true), "");
  for (const char* bad : {"256", "-1", "sideways", "1x", ""}) {
    SCOPED_TRACE(bad);
    EXPECT_NE(Issues(shortcut + bad + "\n", true).find("6: error: placement"),
              std::string::npos);
  }
}

TEST_F(ManifestTest, MalformedManifestsSayWhereAndWhy) {
  const struct {
    std::string text;
    const char* expected;
  } cases[] = {
      {"name = P\n",
       "1: error: this line is outside any section; begin with [product]\n"
       "0: error: there is no [product] section with a name\n"},
      {"[files]\na\n", "0: error: there is no [product] section with a name\n"},
      {"[product]\ndestination = D\n", "1: error: [product] has no name\n"},
      {"[product]\nname =\n", "2: error: product name is empty\n"},
      {kProduct + "[product]\n",
       "3: error: [product] appears a second time (first at line 1)\n"},
      {kProduct + "name = Q\n",
       "3: error: name is given a second time in this section (first at line 2)\n"},
      {kProduct + "[setup]\n",
       "3: error: unknown section [setup]; the sections are [product], [files], [extras], "
       "[start menu] and [shortcut]\n"},
      {kProduct + "[files\n", "3: error: section header [files has no closing ]\n"},
      {kProduct + "version = 2\n",
       "3: error: unknown key version here; this section takes name and destination\n"},
      {kProduct + "[start menu]\nfolder\n", "4: error: expected KEY = VALUE\n"},
      {kProduct + "[shortcut]\nname = n\n[files]\n", "3: error: shortcut has no target\n"},
      {kProduct + "[shortcut]\ntarget = t\n", "3: error: shortcut has no name\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Issues(c.text), c.expected);
    EXPECT_EQ(ParseManifest(c.text, false, &manifest), 0);
  }
}

TEST_F(ManifestTest, ListsHoldAtMost65535Entries) {
  const struct {
    const char* section;
    const char* entry;
    int linesPerEntry;
  } cases[] = {{"[files]\n", "f\n", 1}, {"[extras]\n", "e\n", 1},
               {"", "[shortcut]\nname = n\ntarget = t\n", 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    std::string text = kProduct + c.section;
    for (int i = 0; i < 65535; ++i) text += c.entry;
    EXPECT_EQ(Issues(text), "");
    const int nextLine = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
    const std::string issues = Issues(text + c.entry + c.entry);
    EXPECT_EQ(issues.rfind(std::to_string(nextLine) + ": error: more than 65,535 ", 0), 0u)
        << issues;
    EXPECT_EQ(std::count(issues.begin(), issues.end(), '\n'), 1);
  }
}

}  // namespace
}  // namespace qinstall
