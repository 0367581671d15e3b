#include "tools/encode_package.h"

#include <cstring>

namespace qinstall {
namespace {

void AddString(std::string& bytes, const char* text, std::size_t size) {
  bytes.append(text, strnlen(text, size - 1));
  bytes += '\0';
}

void AddCount(std::string& bytes, std::size_t count) {
  bytes += static_cast<char>(count & 0xFF);
  bytes += static_cast<char>(count >> 8 & 0xFF);
}

}  // namespace

std::string EncodeInstallPackage(const InstallPackage& package) {
  std::string bytes = "QSD";
  bytes += '\1';
  AddString(bytes, package.productName, kNameSize);
  AddString(bytes, package.destinationFolder, kPathSize);
  AddCount(bytes, package.files.size());
  for (const FileEntry& file : package.files) AddString(bytes, file.name, kPathSize);
  AddCount(bytes, package.uninstallExtras.size());
  for (const ExtraText& extra : package.uninstallExtras) {
    AddString(bytes, extra.data(), kExtraSize);
  }
  AddString(bytes, package.startMenuFolder, kPathSize);
  AddCount(bytes, package.shortcuts.size());
  for (const ShortcutEntry& shortcut : package.shortcuts) {
    AddString(bytes, shortcut.name, kPathSize);
    AddString(bytes, shortcut.target, kPathSize);
    AddString(bytes, shortcut.iconLocation, kPathSize);
    AddString(bytes, shortcut.description, kNameSize);
    bytes += static_cast<char>(shortcut.placement);
  }
  return bytes;
}

}  // namespace qinstall
