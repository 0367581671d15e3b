#include <cstring>
#include <iomanip>
#include <string>

#include "tools/dump.h"
#include "tools/text_escape.h"

namespace qinstall {
namespace {

// Every loaded string came with its terminator, so the offsets follow from the values.
struct FieldLines {
  std::ostream& out;
  std::uint32_t offset = 0;

  void Line(const std::string& field, const std::string& value, std::uint32_t size) {
    out << std::setw(7) << offset << "  " << std::left << std::setw(28) << field << std::right
        << ' ' << value << '\n';
    offset += size;
  }
  void Text(const std::string& field, const char* text, std::size_t bound) {
    const std::size_t length = strnlen(text, bound);
    Line(field, QuotedText(std::string(text, length)), static_cast<std::uint32_t>(length + 1));
  }
  void Count(const std::string& field, std::size_t count) {
    Line(field, std::to_string(count), 2);
  }
  void Header(const char* magic) {
    Line("magic", QuotedText(magic), 3);
    Line("version", "1", 1);
  }
  void End(std::uint32_t used, std::uint64_t fileSize) {
    if (fileSize > used) {
      out << std::setw(7) << used << "  " << (fileSize - used)
          << " trailing bytes, not read\n";
    }
  }
};

std::string Indexed(const char* list, std::size_t index, const char* member = "") {
  return std::string(list) + "[" + std::to_string(index) + "]" + member;
}

std::string PlacementText(ShortcutPlacement placement) {
  static const char* const kNames[] = {" (Both)", " (StartMenuOnly)", " (DesktopOnly)"};
  const unsigned code = static_cast<unsigned>(placement);
  return std::to_string(code) + (code < 3 ? kNames[code] : " (makes no shortcut file)");
}

std::string ChoicesText(std::uint8_t choices) {
  if (choices == 3) return "3 (no shortcuts)";
  return PlacementText(static_cast<ShortcutPlacement>(choices));
}

template <typename Extras>
void ExtraLines(FieldLines& lines, const Extras& extras) {
  lines.Count("extras count", extras.size());
  for (std::size_t i = 0; i < extras.size(); ++i) {
    lines.Text(Indexed("uninstallExtras", i), extras[i].data(), kExtraSize);
  }
}

void FileLines(FieldLines& lines, const List<FileEntry>& files) {
  lines.Count("file count", files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    lines.Text(Indexed("files", i, ".name"), files[i].name, kPathSize);
  }
}

}  // namespace

void DumpText(const InstallPackage& package, std::uint32_t used, std::uint64_t fileSize,
              std::ostream& out) {
  out << "Install.qsd, " << fileSize << " bytes\n";
  FieldLines lines{out};
  lines.Header("QSD");
  lines.Text("productName", package.productName, kNameSize);
  lines.Text("destinationFolder", package.destinationFolder, kPathSize);
  FileLines(lines, package.files);
  ExtraLines(lines, package.uninstallExtras);
  lines.Text("startMenuFolder", package.startMenuFolder, kPathSize);
  if (used < lines.offset + 2) {
    lines.Line("shortcut count", "0 (the file ends here; the missing bytes read as 0)", 0);
  } else {
    lines.Count("shortcut count", package.shortcuts.size());
  }
  for (std::size_t i = 0; i < package.shortcuts.size(); ++i) {
    const ShortcutEntry& shortcut = package.shortcuts[i];
    lines.Text(Indexed("shortcuts", i, ".name"), shortcut.name, kPathSize);
    lines.Text(Indexed("shortcuts", i, ".target"), shortcut.target, kPathSize);
    lines.Text(Indexed("shortcuts", i, ".iconLocation"), shortcut.iconLocation, kPathSize);
    lines.Text(Indexed("shortcuts", i, ".description"), shortcut.description, kNameSize);
    lines.Line(Indexed("shortcuts", i, ".placement"), PlacementText(shortcut.placement), 1);
  }
  lines.End(used, fileSize);
}

void DumpText(const UninstallRecord& record, std::uint32_t used, std::uint64_t fileSize,
              std::ostream& out) {
  out << "Uninstall.qsu, " << fileSize << " bytes\n";
  FieldLines lines{out};
  lines.Header("QSU");
  lines.Text("productName", record.productName, kNameSize);
  ExtraLines(lines, record.uninstallExtras);
  lines.Text("destinationFolder", record.destinationFolder, kPathSize);
  FileLines(lines, record.files);
  lines.Text("startMenuFolder", record.startMenuFolder, kPathSize);
  lines.Line("choices", ChoicesText(record.choices), 1);
  lines.Count("shortcut count", record.shortcuts.size());
  for (std::size_t i = 0; i < record.shortcuts.size(); ++i) {
    lines.Text(Indexed("shortcuts", i, ".name"), record.shortcuts[i].name, kPathSize);
    lines.Line(Indexed("shortcuts", i, ".placement"), PlacementText(record.shortcuts[i].placement),
               1);
  }
  lines.End(used, fileSize);
}

}  // namespace qinstall
