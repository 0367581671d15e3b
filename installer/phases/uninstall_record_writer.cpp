// The uninstall record "Uninstall.qsu": every field with its own write call, strings with
// their terminators, counts as two little-endian bytes.
#include <cstring>

#include "package/install_package.h"
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
    return ok_ && (ok_ = Sys().WriteFile(handle_, data, count).ok);
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

bool WriteFields(RecordFile& file) {
  const InstallPackage& package = Package();
  if (!file.Bytes("QSU", 3) || !file.Byte(1) || !file.Text(package.productName) ||
      !file.Count(package.uninstallExtras.size())) {
    return false;
  }
  for (const ExtraText& extra : package.uninstallExtras) {
    if (!file.Text(extra.data())) return false;
  }
  if (!file.Text(package.destinationFolder) || !file.Count(package.files.size())) return false;
  for (const FileEntry& entry : package.files) {
    if (!file.Text(entry.name)) return false;
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
  // An earlier record comes back if this run is rolled back; one that cannot be kept
  // aside is not written over, as that could not be taken back.
  const std::string kept = KeepAside(path);
  if (kept.empty() && Sys().PathExists(path)) return 0;
  std::uint32_t error = 0;
  const FileHandle handle = Sys().CreateForWriting(path, &error);
  if (handle == kInvalidFile) {
    if (!kept.empty()) PutBack(kept, path);
    return 0;
  }
  NoteWrite(RunWrite::Kind::File, path, kept);
  RecordFile file(handle);
  const bool written = WriteFields(file);
  Sys().CloseFile(handle);
  return written ? 1 : 0;
}

}  // namespace qinstall
