#include "engine/piece_name.h"

#include <cctype>

#include "engine/text_format.h"

namespace parcelo {

std::string& AppendPieceNumber(int n, std::string& name) {
  name += '.';
  if (n >= 0 && n <= 9) {
    name += "00";
  } else if (n >= 10 && n <= 99) {
    name += '0';
  }
  name += Format("%d", n);
  return name;
}

std::string IntermediateName(const std::string& pieceBaseName, int line) {
  // Lines past 99 reuse two digits; only the previous line's file is an input of a line,
  // so consecutive lines never read and write the same name.
  std::string suffix;
  AppendPieceNumber(line % 100, suffix);  // ".0NN"
  return pieceBaseName + "." + suffix.substr(2) + "_";
}

namespace {

// Letters in capitals, digits, "-" and "_" stay; blanks and dots go; any other character
// (a run of non-ASCII bytes counts as one) becomes "_".
std::string PlainPart(const std::string& part) {
  std::string out;
  bool inForeign = false;
  for (char raw : part) {
    const unsigned char c = static_cast<unsigned char>(raw);
    if (c >= 0x80) {
      if (!inForeign) out += '_';
      inForeign = true;
      continue;
    }
    inForeign = false;
    if (std::isalnum(c) || c == '-' || c == '_') {
      out += static_cast<char>(std::toupper(c));
    } else if (c != ' ' && c != '.') {
      out += '_';
    }
  }
  return out;
}

}  // namespace

std::string OwnShortName(const std::string& name) {
  const std::size_t start = name.find_first_not_of('.');
  const std::string trimmed = start == std::string::npos ? std::string() : name.substr(start);
  const std::size_t dot = trimmed.rfind('.');
  std::string base = PlainPart(trimmed.substr(0, dot));
  const std::string ext =
      dot == std::string::npos ? std::string() : PlainPart(trimmed.substr(dot + 1)).substr(0, 3);
  if (base.empty()) base = "_";
  base = base.substr(0, 6) + "~1";
  return ext.empty() ? base : base + "." + ext;
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + "\\" + name;
}

std::string PiecePath(const std::string& folder, const std::string& pieceBaseName, int n) {
  std::string name = pieceBaseName;
  return PathInFolder(folder, AppendPieceNumber(n, name));
}

}  // namespace parcelo
