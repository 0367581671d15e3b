// parcelo95 join: runs a join file's steps inside its own folder. Every step is checked
// against the folder before the first byte is written, so a refused file changes nothing.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "cli/commands.h"
#include "cli/console_system.h"
#include "cli/host.h"
#include "cli/join_script.h"

namespace parcelo {
namespace fs = std::filesystem;
namespace {

constexpr std::uintmax_t kLargestJoinFile = 1 << 20;

int Fail(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  return 1;
}

bool IsJoinFileName(const std::string& name) {
  if (EqualNoCase(name, "Join.bat")) return true;
  return name.size() > 9 && EqualNoCase(name.substr(0, 5), "Join-") &&
         EqualNoCase(name.substr(name.size() - 4), ".bat");
}

// The folder's entries as cmd sees them: found without case. Links are kept apart so that
// no step reads or writes through one.
class Folder {
 public:
  explicit Folder(const fs::path& path) : path_(path) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(path, error)) {
      const fs::file_status status = entry.symlink_status(error);
      Add(entry.path().filename().string(), fs::is_symlink(status)   ? Kind::Link
                                            : fs::is_regular_file(status) ? Kind::File
                                                                         : Kind::Other);
    }
  }

  enum class Kind { None, File, Link, Other };

  // The entry's real name for a name in the join file, or the name itself.
  std::string Find(const std::string& name, Kind* kind) const {
    for (const auto& [entry, entryKind] : entries_) {
      if (EqualNoCase(entry, name)) {
        *kind = entryKind;
        return entry;
      }
    }
    *kind = Kind::None;
    return name;
  }
  void Add(const std::string& name, Kind kind) { entries_[name] = kind; }
  void Remove(const std::string& name) { entries_.erase(name); }
  std::vector<std::string> Matching(const std::string& base) const {
    std::vector<std::string> names;
    for (const auto& [entry, kind] : entries_) {
      if (kind == Kind::File && MatchesIntermediate(entry, base)) names.push_back(entry);
    }
    return names;
  }
  fs::path PathOf(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
  std::map<std::string, Kind> entries_;
};

// What would stop a step in the folder as it will be by then; the folder moves on.
std::string StepProblem(const JoinStep& step, Folder* folder) {
  Folder::Kind kind;
  switch (step.kind) {
    case JoinStep::Echo:
      return {};
    case JoinStep::Copy:
      for (const std::string& source : step.sources) {
        folder->Find(source, &kind);
        if (kind == Folder::Kind::None) return "Piece missing: " + source;
        if (kind != Folder::Kind::File) return "Not a plain file: " + source;
      }
      {
        const std::string target = folder->Find(step.name, &kind);
        if (kind != Folder::Kind::None && kind != Folder::Kind::File) {
          return "Not a plain file: " + step.name;
        }
        folder->Add(target, Folder::Kind::File);
      }
      return {};
    case JoinStep::Delete:
      for (const std::string& name : folder->Matching(step.name)) folder->Remove(name);
      return {};
    case JoinStep::Rename: {
      const std::string old = folder->Find(step.name, &kind);
      if (kind == Folder::Kind::None) return "File to rename not found: " + step.name;
      if (kind != Folder::Kind::File) return "Not a plain file: " + step.name;
      Folder::Kind newKind;
      const std::string existing = folder->Find(step.newName, &newKind);
      if (newKind != Folder::Kind::None && existing != old) {
        return "Cannot rename " + step.name + " to " + step.newName + ": that name exists.";
      }
      folder->Remove(old);
      folder->Add(step.newName, Folder::Kind::File);
      return {};
    }
  }
  return {};
}

bool CopyInto(std::ofstream* out, const fs::path& source) {
  std::ifstream in(source, std::ios::binary);
  if (!in) return false;
  *out << in.rdbuf();
  return !in.bad() && static_cast<bool>(*out);
}

// One step for real; the message of a failure, or empty.
std::string RunStep(const JoinStep& step, Folder* folder) {
  Folder::Kind kind;
  std::error_code error;
  switch (step.kind) {
    case JoinStep::Echo:
      std::printf("%s\n", step.text.c_str());
      return {};
    case JoinStep::Copy: {
      const std::string target = folder->Find(step.name, &kind);
      std::ofstream out(folder->PathOf(target), std::ios::binary | std::ios::trunc);
      if (!out) return "Cannot write " + step.name;
      for (const std::string& source : step.sources) {
        if (!CopyInto(&out, folder->PathOf(folder->Find(source, &kind)))) {
          return "Cannot copy " + source + " into " + step.name;
        }
      }
      out.close();
      if (!out) return "Cannot write " + step.name;
      folder->Add(target, Folder::Kind::File);
      return {};
    }
    case JoinStep::Delete:
      for (const std::string& name : folder->Matching(step.name)) {
        fs::remove(folder->PathOf(name), error);
        folder->Remove(name);
      }
      return {};
    case JoinStep::Rename: {
      const std::string old = folder->Find(step.name, &kind);
      fs::rename(folder->PathOf(old), folder->PathOf(step.newName), error);
      if (error) return "Cannot rename " + step.name + " to " + step.newName;
      folder->Remove(old);
      folder->Add(step.newName, Folder::Kind::File);
      return {};
    }
  }
  return {};
}

}  // namespace

int RunJoin(const std::string& target) {
  std::error_code error;
  fs::path joinFile = target.empty() ? fs::path(".") : fs::path(target);
  if (fs::is_directory(joinFile, error)) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(joinFile, error)) {
      const std::string name = entry.path().filename().string();
      if (IsJoinFileName(name) && entry.is_regular_file(error)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    if (names.empty()) {
      return Fail("No join file (Join.bat or Join-*.bat) in " + joinFile.string() + ".");
    }
    int chosen = 0;
    if (names.size() > 1) {
      std::string question = "Several join files in " + joinFile.string() + ":";
      for (std::size_t i = 0; i < names.size(); ++i) {
        question += "\n  " + std::to_string(i + 1) + ". " + names[i];
      }
      chosen = AskChoice(question, static_cast<int>(names.size()));
      if (chosen < 0) return Fail("No join file chosen: name one, as in parcelo95 join FOLDER/JOINFILE.");
    }
    joinFile /= names[static_cast<std::size_t>(chosen)];
  } else if (!fs::is_regular_file(joinFile, error)) {
    return Fail("Join file not found: " + joinFile.string());
  }
  if (fs::file_size(joinFile, error) > kLargestJoinFile) {
    return Fail("Too large for a join file: " + joinFile.string());
  }
  std::ifstream in(joinFile, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in && !in.eof()) return Fail("Cannot read " + joinFile.string());

  std::vector<JoinStep> steps;
  std::string problem;
  // The command interpreter reads the file in the OEM code page; so do we.
  if (!ParseJoinScript(JoinTextToHost(text.str()), &steps, &problem)) {
    return Fail(problem + "\nNothing was written.");
  }
  const fs::path folderPath = joinFile.has_parent_path() ? joinFile.parent_path() : fs::path(".");
  Folder planned(folderPath);
  for (const JoinStep& step : steps) {
    problem = StepProblem(step, &planned);
    if (!problem.empty()) return Fail(problem + "\nNothing was written.");
  }
  Folder folder(folderPath);
  for (const JoinStep& step : steps) {
    problem = RunStep(step, &folder);
    if (!problem.empty()) return Fail(problem);
  }
  return 0;
}

}  // namespace parcelo
