// The uninstall record "Uninstall.qsu": every field with its own write call, strings with
// their terminators, counts as two little-endian bytes.
#include <cstring>
#include <vector>

#include "package/install_package.h"
#include "package/uninstall_record.h"
#include "phases/install_paths.h"
#include "phases/install_phases.h"
#include "phases/install_run.h"
#include "phases/run_writes.h"

namespace qinstall {
namespace {

class RecordFile {
 public:
  explicit RecordFile(FileHandle handle) : handle_(handle) {}

  bool Bytes(const void* data, std::uint32_t count) {
    return ok_ && (ok_ = Files().WriteFile(handle_, data, count).ok);
  }
  bool Text(const char* text) {
    return Bytes(text, static_cast<std::uint32_t>(std::strlen(text) + 1));
  }
  bool Count(std::size_t count) {
    const unsigned char bytes[2] = {static_cast<unsigned char>(count & 0xFF),
                                    static_cast<unsigned char>(count >> 8 & 0xFF)};
    return Bytes(bytes, 2);
  }
  bool Byte(std::uint8_t value) { return Bytes(&value, 1); }

 private:
  FileHandle handle_;
  bool ok_ = true;
};

std::uint8_t ChoicesByte() {
  const InstallChoices& choices = Choices();
  if (choices.startMenuShortcuts) return choices.desktopShortcuts ? 0 : 1;
  return choices.desktopShortcuts ? 2 : 3;
}

bool Declined(std::size_t entry) {
  for (std::size_t declined : Run().declinedFiles) {
    if (declined == entry) return true;
  }
  return false;
}

bool Lists(const UninstallRecord& record, const char* name) {
  for (const FileEntry& listed : record.files) {
    if (SameNameNoCase(listed.name, name)) return true;
  }
  return false;
}

// The names the record lists. A file the user declined to overwrite is the user's own, and
// the uninstaller would delete it, unless the earlier record of this product at path (an
// earlier installation, whose file the user kept) listed it already.
std::vector<const char*> ListedFiles(const std::string& path) {
  const InstallPackage& package = Package();
  UninstallRecord earlier;
  const bool sameProduct = !Run().declinedFiles.empty() && Files().PathExists(path) &&
                           LoadUninstallRecord(path, &earlier) &&
                           SameNameNoCase(earlier.productName, package.productName);
  std::vector<const char*> names;
  for (std::size_t i = 0; i < package.files.size(); ++i) {
    const char* name = package.files[i].name;
    if (!Declined(i) || (sameProduct && Lists(earlier, name))) names.push_back(name);
  }
  return names;
}

bool WriteFields(RecordFile& file, const std::vector<const char*>& files) {
  const InstallPackage& package = Package();
  if (!file.Bytes("QSU", 3) || !file.Byte(1) || !file.Text(package.productName) ||
      !file.Count(package.uninstallExtras.size())) {
    return false;
  }
  for (const ExtraText& extra : package.uninstallExtras) {
    if (!file.Text(extra.data())) return false;
  }
  if (!file.Text(package.destinationFolder) || !file.Count(files.size())) return false;
  for (const char* name : files) {
    if (!file.Text(name)) return false;
  }
  if (!file.Text(package.startMenuFolder) || !file.Byte(ChoicesByte()) ||
      !file.Count(package.shortcuts.size())) {
    return false;
  }
  for (const ShortcutEntry& entry : package.shortcuts) {
    if (!file.Text(entry.name) || !file.Byte(static_cast<std::uint8_t>(entry.placement))) {
      return false;
    }
  }
  return true;
}

}  // namespace

int WriteUninstallRecord(const std::string& path) {
  if (path.empty() || path.size() > kMaxPathChars) return 0;
  const std::vector<const char*> files = ListedFiles(path);
  // An earlier record comes back if this run is rolled back; one that cannot be kept
  // aside is not written over, as that could not be taken back.
  const std::string kept = KeepAside(path);
  if (kept.empty() && Files().PathExists(path)) return 0;
  std::uint32_t error = 0;
  const FileHandle handle = Files().CreateForWriting(path, &error);
  if (handle == kInvalidFile) {
    if (!kept.empty()) PutBack(kept, path);
    return 0;
  }
  NoteWrite(RunWrite::Kind::File, path, kept);
  RecordFile file(handle);
  const bool written = WriteFields(file, files);
  Files().CloseFile(handle);
  return written ? 1 : 0;
}

}  // namespace qinstall
