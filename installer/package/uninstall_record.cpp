#include "package/uninstall_record.h"

#include "package/package_file.h"

namespace qinstall {
namespace {

template <typename T>
int ReadCountedList(PackageFile& file, List<T>& list, const char* countName, const char* name,
                    LoadReport& report) {
  std::uint16_t count = 0;
  if (!ReadCountField(file, &count, {countName}, report)) return 0;
  if (AllocateSlots(list, count)) return 1;
  NoteOutOfMemory(file, {name}, count, report);
  return 0;
}

int ReadRecord(PackageFile& file, UninstallRecord& record, LoadReport& report) {
  if (!ReadHeader(file, "QSU", report) ||
      !ReadStringField(file, record.productName, kNameSize, {"productName"}, report) ||
      !ReadCountedList(file, record.uninstallExtras, "extras count", "uninstallExtras", report)) {
    return 0;
  }
  for (long i = 0; i < static_cast<long>(record.uninstallExtras.size()); ++i) {
    if (!ReadStringField(file, record.uninstallExtras[i].data(), kExtraSize,
                         {"uninstallExtras", i}, report)) {
      return 0;
    }
  }
  if (!ReadStringField(file, record.destinationFolder, kPathSize, {"destinationFolder"}, report) ||
      !ReadCountedList(file, record.files, "file count", "files", report)) {
    return 0;
  }
  for (long i = 0; i < static_cast<long>(record.files.size()); ++i) {
    if (!ReadStringField(file, record.files[i].name, kPathSize, {"files", i, ".name"}, report)) {
      return 0;
    }
  }
  if (!ReadStringField(file, record.startMenuFolder, kPathSize, {"startMenuFolder"}, report) ||
      !ReadByteField(file, &record.choices, {"choices"}, report) ||
      !ReadCountedList(file, record.shortcuts, "shortcut count", "shortcuts", report)) {
    return 0;
  }
  for (long i = 0; i < static_cast<long>(record.shortcuts.size()); ++i) {
    UninstallShortcut& shortcut = record.shortcuts[i];
    std::uint8_t placement = 0;
    if (!ReadStringField(file, shortcut.name, kPathSize, {"shortcuts", i, ".name"}, report) ||
        !ReadByteField(file, &placement, {"shortcuts", i, ".placement"}, report)) {
      return 0;
    }
    shortcut.placement = static_cast<ShortcutPlacement>(placement);
  }
  return 1;
}

}  // namespace

int LoadUninstallRecord(const std::string& fileName, UninstallRecord* record,
                        LoadReport* report) {
  LoadReport unused;
  LoadReport& note = report != nullptr ? *report : unused;
  note = LoadReport{};
  *record = UninstallRecord{};

  PackageFile file;
  if (!OpenPackageFile(fileName, &file, note)) return 0;
  const int loaded = ReadRecord(file, *record, note);
  Files().CloseFile(file.handle);
  if (!loaded) {
    *record = UninstallRecord{};
    if (note.outOfMemory) ShowOutOfMemory();
    return 0;
  }
  note.offset = file.offset;
  return 1;
}

}  // namespace qinstall
