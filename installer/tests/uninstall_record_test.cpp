#include <gtest/gtest.h>

#include <string>

#include "package/uninstall_record.h"
#include "package_bytes.h"
#include "test_system.h"

namespace qinstall {
namespace {

const char kStartMenu[] = "C:\\WINDOWS\\Start Menu\\Programs\\Sample";

std::string RecordBytes() {
  return "QSU" + Byte(1) + Str("Tavrin Sample") + U16(2) + Str("HKCU\\Software\\Sample") +
         Str("Settings.ini") + Str("C:\\Program Files\\Sample") + U16(2) + Str("Readme.txt") +
         Str("Notes.txt") + Str(kStartMenu) + Byte(3) + U16(2) + Str("Read Me.lnk") + Byte(0) +
         Str("Odd.lnk") + Byte(9);
}

class UninstallRecordTest : public ::testing::Test {
 protected:
  int Load(const std::string& bytes) {
    return LoadUninstallRecord(folder.Write("Uninstall.qsu", bytes), &record, &report);
  }

  TestSystem system;
  TempFolder folder;
  UninstallRecord record;
  LoadReport report;
};

// What the installer writes for a package with no extras, files or shortcuts.
TEST_F(UninstallRecordTest, EmptyPackageRecordLoads) {
  const std::string bytes = "QSU" + Byte(1) + Str("P") + U16(0) + Str("C:\\P") + U16(0) +
                            Str(kStartMenu) + Byte(1) + U16(0);
  ASSERT_EQ(Load(bytes), 1) << report.reason;
  EXPECT_STREQ(record.productName, "P");
  EXPECT_STREQ(record.destinationFolder, "C:\\P");
  EXPECT_STREQ(record.startMenuFolder, kStartMenu);
  EXPECT_EQ(record.choices, 1);
  EXPECT_TRUE(record.uninstallExtras.empty());
  EXPECT_TRUE(record.files.empty());
  EXPECT_TRUE(record.shortcuts.empty());
  EXPECT_EQ(report.offset, bytes.size());
}

TEST_F(UninstallRecordTest, FieldsComeInRecordOrder) {
  ASSERT_EQ(Load(RecordBytes() + "trailing"), 1) << report.reason;
  EXPECT_EQ(report.offset, RecordBytes().size());
  EXPECT_STREQ(record.productName, "Tavrin Sample");
  ASSERT_EQ(record.uninstallExtras.size(), 2u);
  EXPECT_STREQ(record.uninstallExtras[1].data(), "Settings.ini");
  EXPECT_STREQ(record.destinationFolder, "C:\\Program Files\\Sample");
  ASSERT_EQ(record.files.size(), 2u);
  EXPECT_STREQ(record.files[0].name, "Readme.txt");
  EXPECT_EQ(record.choices, 3);
  ASSERT_EQ(record.shortcuts.size(), 2u);
  EXPECT_STREQ(record.shortcuts[1].name, "Odd.lnk");
  EXPECT_EQ(static_cast<unsigned>(record.shortcuts[1].placement), 9u);
}

TEST_F(UninstallRecordTest, EveryShortenedRecordFails) {
  const std::string bytes = RecordBytes();
  for (std::size_t length = 0; length < bytes.size(); ++length) {
    SCOPED_TRACE(length);
    EXPECT_EQ(Load(bytes.substr(0, length)), 0);
    EXPECT_EQ(report.offset, length);
    EXPECT_EQ(system.openFiles, 0);
    EXPECT_EQ(record.files.capacity(), 0u);
    EXPECT_STREQ(record.productName, "");
  }
}

TEST_F(UninstallRecordTest, HeaderAndBoundsAreChecked) {
  const std::string rest = RecordBytes().substr(4);
  const struct {
    std::string bytes;
    const char* field;
  } cases[] = {
      {"QSD" + Byte(1) + rest, "magic"},
      {"QSU" + Byte(2) + rest, "version"},
      {"QSU" + Byte(1) + std::string(100, 'n') + rest.substr(rest.find('\0')), "productName"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.field);
    EXPECT_EQ(Load(c.bytes), 0);
    EXPECT_EQ(report.field, c.field);
  }
}

TEST_F(UninstallRecordTest, FailedAllocationShowsOutOfMemory) {
  system.failAllocation = 2;
  EXPECT_EQ(Load(RecordBytes()), 0);
  EXPECT_EQ(report.field, "files");
  ASSERT_EQ(system.boxes.size(), 1u);
  EXPECT_EQ(system.boxes[0].text, "Out of memory.");
  EXPECT_EQ(record.uninstallExtras.capacity(), 0u);
  EXPECT_EQ(system.openFiles, 0);
}

}  // namespace
}  // namespace qinstall
