#include <cstring>
#include <string>

#include "tools/dump.h"
#include "tools/text_escape.h"

namespace qinstall {
namespace {

std::string Json(const char* text, std::size_t bound) {
  return JsonText(std::string(text, strnlen(text, bound)));
}

std::string Code(ShortcutPlacement placement) {
  return std::to_string(static_cast<unsigned>(placement));
}

// Writes "key": [ items ] with one item a line; each yields its JSON text.
template <typename Items, typename Item>
void JsonList(std::ostream& out, const char* key, const Items& items, Item item, bool last = false) {
  out << "  \"" << key << "\": [";
  for (std::size_t i = 0; i < items.size(); ++i) {
    out << (i == 0 ? "\n    " : ",\n    ") << item(items[i]);
  }
  out << (items.empty() ? "]" : "\n  ]") << (last ? "\n" : ",\n");
}

void JsonField(std::ostream& out, const char* key, const std::string& value) {
  out << "  \"" << key << "\": " << value << ",\n";
}

std::string FileObject(const FileEntry& file) {
  return "{\"name\": " + Json(file.name, kPathSize) + "}";
}

std::string ExtraString(const ExtraText& extra) { return Json(extra.data(), kExtraSize); }

}  // namespace

void DumpJson(const InstallPackage& package, std::ostream& out) {
  out << "{\n";
  JsonField(out, "format", "\"Install.qsd\"");
  JsonField(out, "productName", Json(package.productName, kNameSize));
  JsonField(out, "destinationFolder", Json(package.destinationFolder, kPathSize));
  JsonList(out, "files", package.files, FileObject);
  JsonList(out, "uninstallExtras", package.uninstallExtras, ExtraString);
  JsonField(out, "startMenuFolder", Json(package.startMenuFolder, kPathSize));
  JsonList(
      out, "shortcuts", package.shortcuts,
      [](const ShortcutEntry& shortcut) {
        return "{\"name\": " + Json(shortcut.name, kPathSize) +
               ", \"target\": " + Json(shortcut.target, kPathSize) +
               ", \"description\": " + Json(shortcut.description, kNameSize) +
               ", \"iconLocation\": " + Json(shortcut.iconLocation, kPathSize) +
               ", \"placement\": " + Code(shortcut.placement) + "}";
      },
      true);
  out << "}\n";
}

void DumpJson(const UninstallRecord& record, std::ostream& out) {
  out << "{\n";
  JsonField(out, "format", "\"Uninstall.qsu\"");
  JsonField(out, "productName", Json(record.productName, kNameSize));
  JsonList(out, "uninstallExtras", record.uninstallExtras, ExtraString);
  JsonField(out, "destinationFolder", Json(record.destinationFolder, kPathSize));
  JsonList(out, "files", record.files, FileObject);
  JsonField(out, "startMenuFolder", Json(record.startMenuFolder, kPathSize));
  JsonField(out, "choices", std::to_string(record.choices));
  JsonList(
      out, "shortcuts", record.shortcuts,
      [](const UninstallShortcut& shortcut) {
        return "{\"name\": " + Json(shortcut.name, kPathSize) +
               ", \"placement\": " + Code(shortcut.placement) + "}";
      },
      true);
  out << "}\n";
}

}  // namespace qinstall
