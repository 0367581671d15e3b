#include "cli/join_script.h"
#include "platform/system.h"

#include <cctype>
#include <cstring>

namespace parcelo {
namespace {

// Characters that end an unquoted name in cmd, and those no file name may hold. cmd runs
// what follows its operators as commands, outside quotes, and expands "%" even inside them,
// so a line holding them would do in cmd what it does not do here. "%%" is one "%".
constexpr char kDelimiters[] = " \t,;=+\"";
constexpr char kNeverInNames[] = "/\\:*?<>|\"";
constexpr char kOperators[] = "&|<>^%";
constexpr char kUnquotedOperators[] = "&|<>^";

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  const std::size_t length = std::strlen(prefix);
  return text.size() >= length && EqualIgnoringAsciiCase(text.substr(0, length), prefix);
}

bool HasControl(const std::string& text) {
  for (unsigned char c : text) {
    if ((c < 0x20 && c != '\t') || c == 0x7F) return true;
  }
  return false;
}

// A plain name inside the folder: no path, no wildcard, not "." or "..".
const char* NameProblem(const std::string& name) {
  if (name.empty()) return "an empty file name";
  if (name == "." || name == ".." || name.find_first_of(kNeverInNames) != std::string::npos ||
      HasControl(name)) {
    return "a name that is not a plain file name of this folder";
  }
  return nullptr;
}

// raw with each "%%" made one "%"; false for a lone "%", which cmd would expand.
bool TakePercents(const std::string& raw, std::string* name) {
  name->clear();
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '%' && (i + 1 == raw.size() || raw[++i] != '%')) return false;
    *name += raw[i];
  }
  return true;
}

// One name at *at, quoted or not; *at moves behind it. The quotes are not part of it.
// Inside quotes cmd takes "&" and "^" as they stand; outside it would act on them.
bool ReadName(const std::string& line, std::size_t* at, std::string* name) {
  if (*at < line.size() && line[*at] == '"') {
    const std::size_t close = line.find('"', *at + 1);
    if (close == std::string::npos) return false;
    const std::string raw = line.substr(*at + 1, close - *at - 1);
    *at = close + 1;
    return TakePercents(raw, name);
  }
  const std::size_t end = line.find_first_of(kDelimiters, *at);
  const std::string raw = line.substr(*at, end == std::string::npos ? std::string::npos : end - *at);
  *at = end == std::string::npos ? line.size() : end;
  if (raw.empty() || raw.find_first_of(kUnquotedOperators) != std::string::npos) return false;
  return TakePercents(raw, name);
}

// The reason a line is refused, or nullptr with *step filled.
const char* ParseLine(const std::string& line, JoinStep* step) {
  std::size_t at = 0;
  std::string name;
  if (StartsWithNoCase(line, "ECHO.")) {
    step->kind = JoinStep::Echo;
    step->text = line.substr(5);
    if (HasControl(step->text)) return "control characters in an ECHO line";
    if (step->text.find_first_of(kOperators) != std::string::npos) {
      return "cmd operators in an ECHO line";
    }
    return nullptr;
  }
  if (StartsWithNoCase(line, "COPY /B ")) {
    step->kind = JoinStep::Copy;
    at = 8;
    for (;;) {
      if (!ReadName(line, &at, &name)) return "a COPY line that is not NAME+NAME+... TARGET";
      if (const char* problem = NameProblem(name)) return problem;
      step->sources.push_back(name);
      if (at < line.size() && line[at] == '+') {
        ++at;
        continue;
      }
      break;
    }
    if (at >= line.size() || line[at] != ' ') return "a COPY line without its target";
    ++at;
    if (!ReadName(line, &at, &step->name) || at != line.size()) {
      return "a COPY line that is not NAME+NAME+... TARGET";
    }
    if (const char* problem = NameProblem(step->name)) return problem;
    for (const std::string& source : step->sources) {
      if (EqualIgnoringAsciiCase(source, step->name)) return "a COPY line that writes onto its own piece";
    }
    return nullptr;
  }
  if (StartsWithNoCase(line, "DEL ")) {
    step->kind = JoinStep::Delete;
    at = 4;
    // The wildcard tail is the one place where "?" may stand.
    const bool quoted = at < line.size() && line[at] == '"';
    const std::size_t end = quoted ? line.find('"', at + 1) : line.size();
    if (end == std::string::npos || (quoted && end + 1 != line.size())) {
      return "a DEL line that is not DEL BASE.??_";
    }
    const std::string pattern = line.substr(at + (quoted ? 1 : 0), end - at - (quoted ? 1 : 0));
    if (pattern.size() < 5 || pattern.compare(pattern.size() - 4, 4, ".??_") != 0) {
      // Newer join files delete each intermediate file by its name.
      step->wildcard = false;
      if (!ReadName(line, &at, &step->name) || at != line.size()) {
        return "a DEL line that is not DEL NAME or DEL BASE.??_";
      }
      return NameProblem(step->name);
    }
    step->wildcard = true;
    const std::string base = pattern.substr(0, pattern.size() - 4);
    if ((!quoted && base.find_first_of(kDelimiters) != std::string::npos) ||
        (!quoted && base.find_first_of(kUnquotedOperators) != std::string::npos) ||
        !TakePercents(base, &step->name)) {
      return "a DEL line that is not DEL BASE.??_";
    }
    return NameProblem(step->name);
  }
  if (StartsWithNoCase(line, "REN ")) {
    step->kind = JoinStep::Rename;
    at = 4;
    if (!ReadName(line, &at, &step->name) || at >= line.size() || line[at] != ' ') {
      return "a REN line that is not REN OLD \"NEW\"";
    }
    ++at;
    if (!ReadName(line, &at, &step->newName) || at != line.size()) {
      return "a REN line that is not REN OLD \"NEW\"";
    }
    if (const char* problem = NameProblem(step->name)) return problem;
    return NameProblem(step->newName);
  }
  return "a command the splitter does not write";
}

}  // namespace


std::vector<std::string> JoinPieces(const std::vector<JoinStep>& steps) {
  std::vector<std::string> made, pieces;
  const auto isMade = [&made](const std::string& name) {
    for (const std::string& target : made) {
      if (EqualIgnoringAsciiCase(target, name)) return true;
    }
    return false;
  };
  for (const JoinStep& step : steps) {
    if (step.kind == JoinStep::Copy) {
      for (const std::string& source : step.sources) {
        if (!isMade(source)) pieces.push_back(source);
      }
      made.push_back(step.name);
    } else if (step.kind == JoinStep::Rename) {
      made.push_back(step.newName);
    }
  }
  return pieces;
}

bool MatchesIntermediate(const std::string& name, const std::string& base) {
  if (name.size() != base.size() + 4) return false;
  if (!EqualIgnoringAsciiCase(name.substr(0, base.size()), base)) return false;
  const std::string tail = name.substr(base.size());
  return tail[0] == '.' && tail[1] != '.' && tail[2] != '.' && tail[3] == '_';
}

bool ParseJoinScript(const std::string& text, std::vector<JoinStep>* steps,
                     std::string* problem) {
  steps->clear();
  std::size_t start = 0;
  for (int number = 1; start <= text.size(); ++number) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || EqualIgnoringAsciiCase(line, "@ECHO OFF")) continue;
    JoinStep step;
    if (const char* reason = ParseLine(line, &step)) {
      *problem = "Line " + std::to_string(number) + " of the join file is refused (" + reason +
                 "): " + (HasControl(line) ? std::string("(control characters)") : line);
      steps->clear();
      return false;
    }
    steps->push_back(step);
  }
  return true;
}

}  // namespace parcelo
