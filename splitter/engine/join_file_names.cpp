#include "engine/join_file_names.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "engine/piece_name.h"
#include "platform/system.h"

namespace parcelo {
namespace {

// Larger than the join file of any run the splitter can make.
constexpr std::uint32_t kLongestJoinFile = 16u << 20;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool StartsNoCase(const std::string& line, const std::string& head) {
  return line.size() >= head.size() && EqualIgnoringAsciiCase(line.substr(0, head.size()), head);
}

// The parts of text between separators outside double quotes, as written.
std::vector<std::string> Split(const std::string& text, const std::string& separators) {
  std::vector<std::string> parts;
  std::string part;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (!quoted && separators.find(c) != std::string::npos) {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// A name as cmd reads it: quotes dropped and "%%" read as "%".
std::string Unquoted(const std::string& word) {
  std::string name;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (word[i] == '"') continue;
    name += word[i];
    if (word[i] == '%' && i + 1 < word.size() && word[i + 1] == '%') ++i;
  }
  return name;
}

}  // namespace

bool IsJoinFileName(const std::string& name) {
  return name.size() >= 8 && StartsNoCase(name, "join") &&
         EqualIgnoringAsciiCase(name.substr(name.size() - 4), ".bat") &&
         (name.size() == 8 || name[4] == '-');
}

JoinFileNames ParseJoinFileNames(const std::string& text) {
  JoinFileNames names;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (StartsNoCase(line, "COPY /B ")) {
      // The sources, then the target after the last blank.
      const std::vector<std::string> words = Split(line.substr(8), " \t");
      for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        for (const std::string& piece : Split(words[i], "+")) {
          const std::string name = Upper(Unquoted(piece));
          if (std::find(names.pieces.begin(), names.pieces.end(), name) == names.pieces.end()) {
            names.pieces.push_back(name);
          }
        }
      }
      if (words.size() >= 2) names.rebuilds = Unquoted(words.back());
    } else if (StartsNoCase(line, "REN ")) {
      const std::vector<std::string> words = Split(line.substr(4), " \t");
      if (words.size() == 2) {
        names.renames = true;
        names.longName = Unquoted(words[1]);
      }
    }
  }
  return names;
}

bool ReadJoinFileNames(const std::string& path, JoinFileNames* names) {
  FoundFile found;
  if (!Files().FindFile(path, &found) || found.isDirectory || found.size > kLongestJoinFile) {
    return false;
  }
  std::uint32_t error = 0;  // asked for: a join file that cannot be read is passed over
  const FileHandle file = Files().OpenForReading(path, &error);
  if (file == kInvalidFile) return false;
  std::string text(static_cast<std::size_t>(found.size), '\0');
  const IoResult read = text.empty() ? IoResult{true, 0, 0}
                                     : Files().ReadFile(file, &text[0], static_cast<std::uint32_t>(text.size()));
  Files().CloseFile(file);
  if (!read.ok) return false;
  text.resize(read.bytes);
  *names = ParseJoinFileNames(text);
  return true;
}

}  // namespace parcelo
