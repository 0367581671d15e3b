#include "phases/run_writes.h"


#include "package/install_package.h"
#include "phases/install_paths.h"

namespace qinstall {
namespace {

// Whether the run may itself write candidate: a package file, a link, or the record.
bool RunMayWrite(const std::string& candidate) {
  const InstallPackage& package = Package();
  const std::string destination = std::string(package.destinationFolder) + "\\";
  if (SameNameNoCase(candidate, destination + kRecordName)) return true;
  for (const FileEntry& file : package.files) {
    if (SameNameNoCase(candidate, destination + file.name)) return true;
  }
  const std::string startMenu = std::string(package.startMenuFolder) + "\\";
  const std::string desktop = DesktopFolder() + "\\";
  for (const ShortcutEntry& shortcut : package.shortcuts) {
    if (SameNameNoCase(candidate, startMenu + shortcut.name) ||
        SameNameNoCase(candidate, desktop + shortcut.name)) {
      return true;
    }
  }
  for (const RunWrite& write : Run().writes) {
    if (SameNameNoCase(candidate, write.keptPath)) return true;
  }
  return false;
}

}  // namespace

std::string KeepAside(const std::string& path) {
  if (!Files().PathExists(path) || Files().IsFolder(path)) return {};
  const std::size_t slash = path.rfind('\\');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  // An 8.3 name, so it fits every file system the installer may meet.
  for (int number = 0; number < 10000; ++number) {
    char name[] = "~QSI0000.TMP";
    for (int digit = 7, rest = number; digit >= 4; --digit, rest /= 10) {
      name[digit] = static_cast<char>('0' + rest % 10);
    }
    std::string candidate;
    if (!BuildPath(&candidate, {folder, name})) return {};
    if (Files().PathExists(candidate) || RunMayWrite(candidate)) continue;
    std::uint32_t error = 0;
    return Files().RenameFile(path, candidate, &error) ? candidate : std::string();
  }
  return {};
}

bool PutBack(const std::string& keptPath, const std::string& path) {
  std::uint32_t error = 0;
  return Files().RenameFile(keptPath, path, &error);
}

void NoteWrite(RunWrite::Kind kind, const std::string& path, const std::string& keptPath) {
  Run().writes.push_back(RunWrite{kind, path, keptPath});
}

void UndoWrites(RunWrite::Kind kind) {
  std::vector<RunWrite>& writes = Run().writes;
  for (std::size_t i = writes.size(); i-- > 0;) {
    if (writes[i].kind != kind) continue;
    std::uint32_t error = 0;
    Files().RemoveFile(writes[i].path, &error);
    // A kept file that cannot come back stays under its kept name: never deleted.
    if (!writes[i].keptPath.empty()) PutBack(writes[i].keptPath, writes[i].path);
    writes.erase(writes.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

void DropKeptFiles() {
  for (const RunWrite& write : Run().writes) {
    std::uint32_t error = 0;
    if (!write.keptPath.empty()) Files().RemoveFile(write.keptPath, &error);
  }
  Run().writes.clear();
}

}  // namespace qinstall
