#include "split_fixture.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/app_settings.h"
#include "engine/split_job.h"
#include "engine/split_run.h"
#include "frontend/main_dialog_state.h"
#include "frontend/progress_dialog.h"

namespace parcelo {
namespace fs = std::filesystem;

namespace {
int progressWindow, toolTipWindow, mainWindow;
}

void SplitFixture::SetUp() {
  std::string pattern = (fs::temp_directory_path() / "parcelo-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  root_ = pattern;
  MakeFolder(root_ + "/c/Data");
  MakeFolder(root_ + "/c/Out");
  MakeFolder(root_ + "/a");
  posix_.MapDrive('C', root_ + "/c", DriveType::Fixed);
  posix_.MapDrive('A', root_ + "/a", DriveType::Removable, 1457664);
  sys_ = new TestSystem(&posix_);
  InstallSystem(sys_);
  ResetSplitJob();
  ResetAppSettings();
  ResetMainDialogState();
  splitProgress = &ProgressDialogReport();
  progressDialog = &progressWindow;
  progressToolTip = &toolTipWindow;
  mainDialogWindow = &mainWindow;
}

void SplitFixture::TearDown() {
  EXPECT_TRUE(sys_->openFiles.empty()) << "files left open";
  EXPECT_TRUE(sys_->liveBuffers.empty()) << "buffer not freed";
  EXPECT_EQ(sys_->badReleases, 0) << "something released twice";
  InstallSystem(nullptr);
  delete sys_;
  std::error_code error;
  fs::remove_all(root_, error);
}

std::string SplitFixture::Host(char drive, const std::string& relative) const {
  return root_ + "/" + static_cast<char>(std::tolower(drive)) + "/" + relative;
}

void SplitFixture::WriteHostFile(const std::string& hostPath, const std::string& bytes) const {
  std::ofstream out(hostPath, std::ios::binary);
  out << bytes;
}

std::string SplitFixture::ReadHostFile(const std::string& hostPath) const {
  std::ifstream in(hostPath, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> SplitFixture::List(const std::string& hostFolder) const {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(hostFolder, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void SplitFixture::MakeFolder(const std::string& hostFolder) const {
  fs::create_directories(hostFolder);
}

std::string SplitFixture::MakeSource(const std::string& name, std::uint32_t size) {
  sourceBytes_.resize(size);
  std::uint32_t state = 2463534242u ^ size;
  for (char& byte : sourceBytes_) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    byte = static_cast<char>(state);
  }
  WriteHostFile(Host('C', "Data/" + name), sourceBytes_);
  return "C:\\Data\\" + name;
}

void SplitFixture::RequestSized(const std::string& name, std::uint32_t pieceSize) {
  splitJob.sourcePath = "C:\\Data\\" + name;
  splitJob.destinationPath = "C:\\Out";
  splitJob.sourceSize = static_cast<std::uint32_t>(sourceBytes_.size());
  splitJob.pieceSize = pieceSize;
  splitJob.pieceCount = pieceSize == 0 ? 0 : (splitJob.sourceSize + pieceSize - 1) / pieceSize;
  splitJob.spanToDisk = 0;
}

void SplitFixture::RequestSizedWithBackups() {
  for (const char* folder : {"Out", "Backup"}) {
    fs::remove_all(Host('C', folder));
    MakeFolder(Host('C', folder));
  }
  ResetSplitJob();
  MakeSource("BIG.DAT", 2500);
  RequestSized("BIG.DAT", 1000);
  splitJob.backupEnabled = 1;
  splitJob.backupFolder = "C:\\Backup";
}

void SplitFixture::RequestSpanned(const std::string& name) {
  splitJob.sourcePath = "C:\\Data\\" + name;
  splitJob.destinationPath = "A:\\";
  splitJob.sourceSize = static_cast<std::uint32_t>(sourceBytes_.size());
  splitJob.pieceSize = 0;
  splitJob.pieceCount = 0;
  splitJob.spanToDisk = 1;
}

int SplitFixture::Run() {
  if (!PrepareSplitRun()) return 0;
  return SplitWorker();
}

void SplitFixture::SwapDisksOnPrompt() {
  sys_->onBox = [this](const Box& box) {
    if (box.text.rfind("Insert disk for piece", 0) == 0) {
      if (disksInserted_ > 0) {
        EXPECT_TRUE(posix_.ChangeDisk('A', DiskFolder(disksInserted_)));
      }
      ++disksInserted_;
      return kIdOk;
    }
    return (box.style & 0xF) == kMbOk ? kIdOk : kIdCancel;
  };
}

std::string SplitFixture::DiskFolder(int n) const {
  return root_ + "/disks/" + std::to_string(n);
}

void SplitFixture::ResizeFloppy(std::uint64_t capacity) {
  posix_.MapDrive('A', root_ + "/a", DriveType::Removable, capacity);
}

std::string SplitFixture::JoinPieces(const std::vector<std::string>& folders,
                                     const std::string& base) const {
  std::string joined;
  for (int n = 0;; ++n) {
    std::string name = base;
    name += n < 10 ? ".00" : n < 100 ? ".0" : ".";
    name += std::to_string(n);
    bool found = false;
    for (const std::string& folder : folders) {
      if (fs::exists(folder + "/" + name)) {
        joined += ReadHostFile(folder + "/" + name);
        found = true;
        break;
      }
    }
    if (!found) return joined;
  }
}

}  // namespace parcelo
