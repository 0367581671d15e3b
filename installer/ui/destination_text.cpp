#include "ui/destination_text.h"

#include <cctype>
#include <vector>

#include "platform/system.h"

namespace qinstall {
namespace {

bool SameLetters(char a, char b) {
  return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

bool StartsCaseBlind(const std::string& text, const std::string& prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (!SameLetters(text[i], prefix[i])) return false;
  }
  return true;
}

bool EqualCaseBlind(const std::string& a, const std::string& b) {
  return a.size() == b.size() && StartsCaseBlind(a, b);
}

std::vector<std::string> Levels(const std::string& path) {
  std::vector<std::string> levels;
  std::string level;
  for (char c : path) {
    if (c == '\\') {
      if (!level.empty()) levels.push_back(level);
      level.clear();
    } else {
      level += c;
    }
  }
  if (!level.empty()) levels.push_back(level);
  return levels;
}

}  // namespace

std::string ExpandDestination(const std::string& folder) {
  static const std::string kWindows = "%windows%";
  static const std::string kProgramFiles = "%program files%";
  if (StartsCaseBlind(folder, kWindows)) {
    return Files().WindowsFolder() + folder.substr(kWindows.size());
  }
  if (StartsCaseBlind(folder, kProgramFiles)) {
    return "C:\\Program Files" + folder.substr(kProgramFiles.size());
  }
  return folder;
}

std::string DestinationWithProduct(const std::string& chosen, const std::string& productName) {
  return (chosen.size() > 3 ? chosen + "\\" : chosen) + productName;
}

std::string StartMenuWithProduct(const std::string& chosen, const std::string& windowsFolder,
                                 const std::string& productName) {
  const std::string startMenu = windowsFolder + "\\Start Menu\\";
  if (StartsCaseBlind(chosen, startMenu)) {
    return chosen.substr(startMenu.size()) + "\\" + productName;
  }
  const std::vector<std::string> base = Levels(windowsFolder + "\\Start Menu");
  const std::vector<std::string> path = Levels(chosen);
  std::size_t common = 0;
  while (common < base.size() && common < path.size() &&
         EqualCaseBlind(base[common], path[common])) {
    ++common;
  }
  if (common == 0) return {};  // another drive
  std::string relative;
  for (std::size_t i = common; i < base.size(); ++i) relative += "..\\";
  for (std::size_t i = common; i < path.size(); ++i) relative += path[i] + "\\";
  return relative + productName;
}

}  // namespace qinstall
