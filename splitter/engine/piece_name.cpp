#include "engine/piece_name.h"

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

std::string PathInFolder(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + "\\" + name;
}

std::string PiecePath(const std::string& folder, const std::string& pieceBaseName, int n) {
  std::string name = pieceBaseName;
  return PathInFolder(folder, AppendPieceNumber(n, name));
}

}  // namespace parcelo
