#include "engine/piece_name.h"

#include <cctype>

#include "engine/text_format.h"
#include "platform/system.h"

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

std::string LastComponent(const std::string& path) {
  for (std::size_t i = path.size(); i > 1; --i) {
    if (path[i - 1] == '\\') return path.substr(i);
  }
  if (path.size() >= 2 && path[1] == ':') return path.substr(2);
  return path;
}

bool IsDosDeviceName(const std::string& name) {
  // The device answers to its name before the first dot, blanks after it not counting.
  std::string base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.pop_back();
  for (const char* device : {"CON", "PRN", "AUX", "NUL"}) {
    if (EqualIgnoringAsciiCase(base, device)) return true;
  }
  return base.size() == 4 && base[3] >= '1' && base[3] <= '9' &&
         (EqualIgnoringAsciiCase(base.substr(0, 3), "COM") || EqualIgnoringAsciiCase(base.substr(0, 3), "LPT"));
}

std::string NextShortNameTail(const std::string& shortName) {
  const std::size_t dot = shortName.rfind('.');
  const std::string base = dot == std::string::npos || dot == 0 ? shortName : shortName.substr(0, dot);
  const std::string extension = base.size() == shortName.size() ? "" : shortName.substr(dot);
  const std::size_t tilde = base.rfind('~');
  if (tilde == std::string::npos || tilde == 0 || tilde + 1 == base.size() ||
      base.find_first_not_of("0123456789", tilde + 1) != std::string::npos ||
      base.size() - tilde > 7) {
    return {};
  }
  unsigned long number = 0;  // at most six digits, checked above
  for (std::size_t i = tilde + 1; i < base.size(); ++i) number = number * 10 + (base[i] - '0');
  const std::string tail = "~" + std::to_string(number + 1);
  if (tail.size() > 7) return {};
  const std::size_t room = 8 - tail.size();
  return base.substr(0, tilde < room ? tilde : room) + tail + extension;
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
