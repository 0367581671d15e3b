// The package author's manifest: a plain-text description of an "Install.qsd".
// The format is documented in qsdtool's help text (tools/help_text.cpp).
#pragma once

#include <string>
#include <vector>

#include "package/install_package.h"

namespace qinstall {

struct ManifestIssue {
  int line;  // 0 when the issue is about the manifest as a whole
  bool isError;
  std::string text;
};

struct Manifest {
  InstallPackage package;
  std::vector<int> fileLines;  // the line of each entry of package.files
  std::vector<ManifestIssue> issues;
};

// Placements other than 0 to 2 are refused unless forced (they make no shortcut file).
int ParseManifest(const std::string& text, bool forcePlacement, Manifest* manifest);

bool HasErrors(const Manifest& manifest);

// The warning for a product name of length characters, longer than Windows 98's list of
// programs shows.
std::string ListedNameWarning(std::size_t length);
bool IsListedNameTooLong(const char* productName);

}  // namespace qinstall
