#include "package/load_install_package.h"

#include "package/contained_name.h"
#include "package/package_file.h"

namespace qinstall {
namespace {

template <typename T>
int AllocateList(PackageFile& file, List<T>& list, std::uint16_t count, const char* name,
                 LoadReport& report) {
  if (AllocateSlots(list, count)) return 1;
  NoteOutOfMemory(file, {name}, count, report);
  return 0;
}

// Reads a file or shortcut name, which must stay inside the folder it is written to.
int ReadContainedName(PackageFile& file, char* buffer, FieldName field, LoadReport& report) {
  const std::uint32_t start = file.offset;
  if (!ReadStringField(file, buffer, kPathSize, field, report)) return 0;
  const char* reason = EscapingNameReason(buffer);
  if (reason == nullptr) return 1;
  report.field = field.Text();
  report.fieldOffset = start;
  report.offset = file.offset;
  report.reason = "the name \"" + std::string(buffer) + "\" would reach outside its folder: " +
                  reason;
  return 0;
}

int ReadShortcut(PackageFile& file, ShortcutEntry& entry, long index, LoadReport& report) {
  std::uint8_t placement = 0;
  if (!ReadContainedName(file, entry.name, {"shortcuts", index, ".name"}, report) ||
      !ReadStringField(file, entry.target, kPathSize, {"shortcuts", index, ".target"}, report) ||
      !ReadStringField(file, entry.iconLocation, kPathSize, {"shortcuts", index, ".iconLocation"},
                       report) ||
      !ReadStringField(file, entry.description, kNameSize, {"shortcuts", index, ".description"},
                       report) ||
      !ReadByteField(file, &placement, {"shortcuts", index, ".placement"}, report)) {
    return 0;
  }
  entry.placement = static_cast<ShortcutPlacement>(placement);
  return 1;
}

int ReadPackage(PackageFile& file, InstallPackage& package, LoadReport& report) {
  if (!ReadHeader(file, "QSD", report) ||
      !ReadStringField(file, package.productName, kNameSize, {"productName"}, report) ||
      !ReadStringField(file, package.destinationFolder, kPathSize, {"destinationFolder"}, report)) {
    return 0;
  }

  std::uint16_t count = 0;
  if (!ReadCountField(file, &count, {"file count"}, report) ||
      !AllocateList(file, package.files, count, "files", report)) {
    return 0;
  }
  for (long i = 0; i < count; ++i) {
    if (!ReadContainedName(file, package.files[i].name, {"files", i, ".name"}, report)) {
      return 0;
    }
  }

  if (!ReadCountField(file, &count, {"extras count"}, report) ||
      !AllocateList(file, package.uninstallExtras, count, "uninstallExtras", report)) {
    return 0;
  }
  for (long i = 0; i < count; ++i) {
    if (!ReadStringField(file, package.uninstallExtras[i].data(), kExtraSize,
                         {"uninstallExtras", i}, report)) {
      return 0;
    }
  }

  // A file that ends right after the Start Menu folder is a package without shortcuts.
  if (!ReadStringField(file, package.startMenuFolder, kPathSize, {"startMenuFolder"}, report) ||
      !ReadCountField(file, &count, {"shortcut count"}, report, AtEnd::ReadZeros) ||
      !AllocateList(file, package.shortcuts, count, "shortcuts", report)) {
    return 0;
  }
  for (long i = 0; i < count; ++i) {
    if (!ReadShortcut(file, package.shortcuts[i], i, report)) return 0;
  }
  return 1;
}

}  // namespace

int LoadInstallPackage(const std::string& fileName, LoadReport* report) {
  LoadReport unused;
  LoadReport& note = report != nullptr ? *report : unused;
  note = LoadReport{};
  ResetInstallPackage();

  PackageFile file;
  if (!OpenPackageFile(fileName, &file, note)) return 0;
  const int loaded = ReadPackage(file, Package(), note);
  Files().CloseFile(file.handle);
  if (!loaded) {
    ResetInstallPackage();
    if (note.outOfMemory) ShowOutOfMemory();
    return 0;
  }
  note.offset = file.offset;
  return 1;
}

}  // namespace qinstall
