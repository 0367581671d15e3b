// Prints a loaded data file field by field: readable text with the byte offset of every
// field, or JSON with the records' field names as keys.
#pragma once

#include <cstdint>
#include <ostream>

#include "package/install_package.h"
#include "package/uninstall_record.h"

namespace qinstall {

// used: the bytes the load read; fileSize: the whole file, for the trailing bytes.
void DumpText(const InstallPackage& package, std::uint32_t used, std::uint64_t fileSize,
              std::ostream& out);
void DumpText(const UninstallRecord& record, std::uint32_t used, std::uint64_t fileSize,
              std::ostream& out);

void DumpJson(const InstallPackage& package, std::ostream& out);
void DumpJson(const UninstallRecord& record, std::ostream& out);

}  // namespace qinstall
