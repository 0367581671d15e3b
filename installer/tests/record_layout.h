// An uninstall record described field by field, as bytes for a file or as the loaded record.
#pragma once

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "package/uninstall_record.h"
#include "package_bytes.h"

namespace qinstall {

struct RecordLayout {
  std::string product = "Sample Notes";
  std::vector<std::string> extras;
  std::string destination = "C:\\Apps\\Sample Notes";
  std::vector<std::string> files = {"Readme.txt", "Notes.txt"};
  std::string startMenu = "C:\\WINDOWS\\Start Menu\\Programs\\Sample Notes";
  unsigned choices = 0;
  std::vector<std::pair<std::string, unsigned>> shortcuts = {{"Read Me.lnk", 0}, {"Notes.lnk", 2}};

  std::string Bytes() const {
    std::string bytes = "QSU" + Byte(1) + Str(product) + U16(extras.size());
    for (const std::string& extra : extras) bytes += Str(extra);
    bytes += Str(destination) + U16(files.size());
    for (const std::string& file : files) bytes += Str(file);
    bytes += Str(startMenu) + Byte(choices) + U16(shortcuts.size());
    for (const auto& shortcut : shortcuts) bytes += Str(shortcut.first) + Byte(shortcut.second);
    return bytes;
  }

  // Needs an installed System (the lists allocate through it).
  UninstallRecord Record() const {
    UninstallRecord record;
    std::strncpy(record.productName, product.c_str(), kNameSize - 1);
    for (const std::string& text : extras) {
      ExtraText extra{};
      std::strncpy(extra.data(), text.c_str(), kExtraSize - 1);
      record.uninstallExtras.push_back(extra);
    }
    std::strncpy(record.destinationFolder, destination.c_str(), kPathSize - 1);
    for (const std::string& name : files) {
      FileEntry entry;
      std::strncpy(entry.name, name.c_str(), kPathSize - 1);
      record.files.push_back(entry);
    }
    std::strncpy(record.startMenuFolder, startMenu.c_str(), kPathSize - 1);
    record.choices = static_cast<std::uint8_t>(choices);
    for (const auto& [name, placement] : shortcuts) {
      UninstallShortcut shortcut;
      std::strncpy(shortcut.name, name.c_str(), kPathSize - 1);
      shortcut.placement = static_cast<ShortcutPlacement>(placement);
      record.shortcuts.push_back(shortcut);
    }
    return record;
  }
};

}  // namespace qinstall
