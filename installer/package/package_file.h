// Reading the installer's data files: one open file, read field by field with one system
// read call per string byte, no buffering of its own.
#pragma once

#include <cstdint>
#include <string>

#include "package/load_report.h"
#include "platform/system.h"

namespace qinstall {

enum class ReadFault { None, ReadFailed, Ended, Unterminated };

struct PackageFile {
  FileHandle handle = kInvalidFile;
  std::uint32_t offset = 0;  // bytes read so far
  ReadFault fault = ReadFault::None;
  std::uint32_t error = 0;   // system error of a failed read
};

// One read call for count bytes; moves the offset on by what it delivered and notes a
// failed call. Returns the call's result.
IoResult ReadBytes(PackageFile& file, void* data, std::uint32_t count);

// Reads one string field of bound N (terminator included), one byte per read call, and
// returns 1 when its terminator came within the N bytes. Returns 0 when a read fails or the
// file ends (fault says which), and also when N bytes came without a terminator: that field
// has then consumed exactly N bytes, so a caller reading on would start at the next byte,
// but its value is refused rather than cut short or let past its buffer. The buffer is
// terminated in every case.
int ReadBoundedString(PackageFile& file, char* buffer, std::uint32_t bound);

// Names a field for reports without building text unless a read fails:
// {"files", 3, ".name"} is "files[3].name", {"productName"} is itself.
struct FieldName {
  const char* base;
  long index = -1;
  const char* member = "";
  std::string Text() const;
};

// Field readers. On failure each fills the report (field, where it began, why) and
// returns 0.
int ReadStringField(PackageFile& file, char* buffer, std::uint32_t bound, FieldName field,
                    LoadReport& report);
int ReadByteField(PackageFile& file, std::uint8_t* value, FieldName field, LoadReport& report);
// AtEnd::ReadZeros takes a count that the end of the file cuts short from the bytes present,
// the missing ones read as 0; a failed read call still fails.
enum class AtEnd { Fail, ReadZeros };
int ReadCountField(PackageFile& file, std::uint16_t* count, FieldName field, LoadReport& report,
                   AtEnd atEnd = AtEnd::Fail);

// Opens the named file as the installer does (only if it exists, no sharing).
int OpenPackageFile(const std::string& fileName, PackageFile* file, LoadReport& report);

// The three magic letters, compared exactly, then a version byte that must be 1.
int ReadHeader(PackageFile& file, const char magic[3], LoadReport& report);

// Notes a failed list allocation.
void NoteOutOfMemory(const PackageFile& file, FieldName field, std::uint32_t count,
                     LoadReport& report);

// The installer's message for a failed allocation while a data file is read.
void ShowOutOfMemory();

}  // namespace qinstall
