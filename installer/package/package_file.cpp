#include "package/package_file.h"

#include <cstring>

namespace qinstall {
namespace {

std::string Printable(const unsigned char* bytes, std::uint32_t count) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text = "\"";
  for (std::uint32_t i = 0; i < count; ++i) {
    const unsigned char c = bytes[i];
    if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') {
      text += static_cast<char>(c);
    } else {
      text += "\\x";
      text += kHex[c >> 4];
      text += kHex[c & 15];
    }
  }
  return text + "\"";
}

void NoteFault(const PackageFile& file, std::uint32_t fieldOffset, FieldName field,
               std::uint32_t size, bool isString, LoadReport& report) {
  report.field = field.Text();
  report.fieldOffset = fieldOffset;
  report.offset = file.offset;
  const std::uint32_t got = file.offset - fieldOffset;
  switch (file.fault) {
    case ReadFault::ReadFailed:
      report.reason = "a read failed";
      report.systemError = file.error;
      break;
    case ReadFault::Ended:
      report.reason = isString ? "the file ends after " + std::to_string(got) +
                                     " bytes of the string, before its terminator"
                               : "the file ends after " + std::to_string(got) + " of its " +
                                     std::to_string(size) + " bytes";
      break;
    case ReadFault::Unterminated:
      report.reason = "no terminator within its " + std::to_string(size) + " bytes (at most " +
                      std::to_string(size - 1) + " characters fit)";
      break;
    case ReadFault::None:
      report.reason = "unreadable";
      break;
  }
}

int ReadFixed(PackageFile& file, void* data, std::uint32_t size, FieldName field,
              LoadReport& report) {
  const std::uint32_t start = file.offset;
  const IoResult result = ReadBytes(file, data, size);
  if (result.ok && result.bytes == size) return 1;
  if (result.ok) file.fault = ReadFault::Ended;
  NoteFault(file, start, field, size, false, report);
  return 0;
}

}  // namespace

IoResult ReadBytes(PackageFile& file, void* data, std::uint32_t count) {
  const IoResult result = Files().ReadFile(file.handle, data, count);
  file.offset += result.bytes;
  if (!result.ok) {
    file.fault = ReadFault::ReadFailed;
    file.error = result.error;
  }
  return result;
}

int ReadBoundedString(PackageFile& file, char* buffer, std::uint32_t bound) {
  for (std::uint32_t i = 0; i < bound; ++i) {
    const IoResult result = ReadBytes(file, &buffer[i], 1);
    if (!result.ok || result.bytes == 0) {
      if (result.ok) file.fault = ReadFault::Ended;
      buffer[i] = '\0';
      return 0;
    }
    if (buffer[i] == '\0') return 1;
  }
  if (bound > 0) buffer[bound - 1] = '\0';
  file.fault = ReadFault::Unterminated;
  return 0;
}

std::string FieldName::Text() const {
  std::string text = base;
  if (index >= 0) text += "[" + std::to_string(index) + "]";
  return text + member;
}

int ReadStringField(PackageFile& file, char* buffer, std::uint32_t bound, FieldName field,
                    LoadReport& report) {
  const std::uint32_t start = file.offset;
  if (ReadBoundedString(file, buffer, bound)) return 1;
  NoteFault(file, start, field, bound, true, report);
  return 0;
}

int ReadByteField(PackageFile& file, std::uint8_t* value, FieldName field, LoadReport& report) {
  return ReadFixed(file, value, 1, field, report);
}

int ReadCountField(PackageFile& file, std::uint16_t* count, FieldName field, LoadReport& report,
                   AtEnd atEnd) {
  unsigned char bytes[2] = {0, 0};
  if (atEnd == AtEnd::ReadZeros) {
    const std::uint32_t start = file.offset;
    if (!ReadBytes(file, bytes, 2).ok) {
      NoteFault(file, start, field, 2, false, report);
      return 0;
    }
  } else if (!ReadFixed(file, bytes, 2, field, report)) {
    return 0;
  }
  *count = static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
  return 1;
}

int OpenPackageFile(const std::string& fileName, PackageFile* file, LoadReport& report) {
  std::uint32_t error = 0;
  file->handle = Files().OpenExistingForReading(fileName, &error);
  if (file->handle != kInvalidFile) return 1;
  report.reason = "cannot be opened";
  report.systemError = error;
  return 0;
}

int ReadHeader(PackageFile& file, const char magic[3], LoadReport& report) {
  unsigned char letters[3];
  if (!ReadFixed(file, letters, 3, {"magic"}, report)) return 0;
  if (std::memcmp(letters, magic, 3) != 0) {
    report.field = "magic";
    report.offset = file.offset;
    report.reason = "the magic is " + Printable(letters, 3) + ", not " +
                    Printable(reinterpret_cast<const unsigned char*>(magic), 3);
    return 0;
  }
  std::uint8_t version = 0;
  if (!ReadByteField(file, &version, {"version"}, report)) return 0;
  if (version != 1) {
    report.field = "version";
    report.fieldOffset = 3;
    report.offset = file.offset;
    report.reason = "version " + std::to_string(version) + "; only version 1 is read";
    return 0;
  }
  return 1;
}

void NoteOutOfMemory(const PackageFile& file, FieldName field, std::uint32_t count,
                     LoadReport& report) {
  report.field = field.Text();
  report.fieldOffset = file.offset;
  report.offset = file.offset;
  report.reason = "no memory for " + std::to_string(count) + " entries";
  report.outOfMemory = true;
}

void ShowOutOfMemory() { Windows().ShowMessageBox(nullptr, "Out of memory.", "Error", kMbOk | kMbIconError); }

}  // namespace qinstall
