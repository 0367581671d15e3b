// parcelo95 join: runs a join file's steps inside its own folder. Every step is checked
// against the folder before the first byte is written, so a refused file changes nothing;
// a step that fails later, or an interrupt, takes back every file the join made, so a
// failed or interrupted one changes nothing either.
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "checksums/crc32.h"
#include "cli/commands.h"
#include "cli/console_system.h"
#include "cli/folder_view.h"
#include "cli/host.h"
#include "cli/interrupt.h"
#include "cli/join_repair.h"
#include "cli/join_script.h"
#include "cli/piece_checks.h"
#include "cli/text_file.h"
#include "engine/join_file_names.h"
#include "engine/piece_name.h"
#include "platform/system.h"

namespace parcelo {
namespace {

constexpr std::size_t kCopyBuffer = 1 << 20;
constexpr char kNothingWritten[] = "\nNothing was written.";
constexpr char kTakenBack[] = "\nThe files this join had made were removed again.";
constexpr char kInterrupted[] = "Interrupted";
constexpr char kNothingWrittenHere[] = "; nothing was written.";

int Fail(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  return 1;
}

std::string Reason() { return LastSystemError(); }

// The folder's entries as cmd sees them: found without case. Links are kept apart so that
// no step reads or writes through one. Files this join makes are marked as its own: only
// those may be deleted, renamed, or read before they exist.
class Folder : public FolderView {
 public:
  using Kind = FolderView::Kind;
  using FolderView::FolderView;

  // The entry other than except that holds name, without case or by its 8.3 alias; empty
  // when the name is free. A DOS copy onto that name would replace that entry.
  std::string Holder(const std::string& name, const std::string& except = {}) const {
    for (const auto& [entry, kind] : entries_) {
      if (entry != except && EqualIgnoringAsciiCase(entry, name)) return entry;
    }
    FoundFile found;
    if (Files().FindFile(PathOf(name), &found) && found.name != except &&
        (except.empty() || !Files().IsSameFile(PathOf(name), PathOf(except)))) {
      return found.name;
    }
    return {};
  }

  void Add(const std::string& name, bool made) {
    entries_[name] = Kind::File;
    if (made) made_.insert(name);
  }
  void Remove(const std::string& name) {
    entries_.erase(name);
    made_.erase(name);
  }
  bool IsMade(const std::string& name) const { return made_.count(name) != 0; }
  const std::set<std::string>& Made() const { return made_; }
  // The intermediate files of base that this join made: never a file it found.
  std::vector<std::string> MadeIntermediates(const std::string& base) const {
    std::vector<std::string> names;
    for (const std::string& name : made_) {
      if (MatchesIntermediate(name, base)) names.push_back(name);
    }
    return names;
  }
  void RemoveMade() const {
    for (const std::string& name : made_) RemoveOrSay(name);
  }
  // A file of this join's that stays is named, so that nobody takes it for the user's.
  void RemoveOrSay(const std::string& name) const {
    ClearSystemError();
    if (!Files().RemoveFile(PathOf(name))) {
      std::fprintf(stderr, "Could not remove %s: %s\n", name.c_str(), LastSystemError().c_str());
    }
  }

 private:
  std::set<std::string> made_;
};

std::string AlreadyExists(const std::string& name, const std::string& holder) {
  return name + " already exists" + (holder == name ? "" : " (as " + holder + ")") +
         "; nothing was written.";
}

// A name that was free when the join was checked but is taken when it comes to it.
std::string TakenMeanwhile(const std::string& name) {
  return name + " was made by another program while this join ran";
}

// The files a DEL line removes: only ever ones this join made.
std::vector<std::string> Deletions(const JoinStep& step, const Folder& folder) {
  if (step.wildcard) return folder.MadeIntermediates(step.name);
  Folder::Kind kind;
  const std::string name = folder.Find(step.name, &kind);
  if (kind == Folder::Kind::None || !folder.IsMade(name)) return {};
  return {name};
}

// What would stop a step in the folder as it will be by then; the folder moves on.
// *pieceMissing tells a missing piece from other problems.
std::string StepProblem(const JoinStep& step, Folder* folder, bool* pieceMissing) {
  Folder::Kind kind;
  switch (step.kind) {
    case JoinStep::Echo:
      return {};
    case JoinStep::Copy: {
      for (const std::string& source : step.sources) {
        const std::string piece = folder->Find(source, &kind);
        if (kind == Folder::Kind::None) {
          *pieceMissing = true;
          return "Piece missing: " + source + kNothingWritten;
        }
        if (kind != Folder::Kind::File) return "Not a plain file: " + source + kNothingWritten;
        if (folder->IsMade(piece)) continue;
        std::uint32_t error = 0;
        ClearSystemError();
        const FileHandle in = Files().OpenForReading(folder->PathOf(piece), &error);
        if (in == kInvalidFile) return "Cannot read " + source + ": " + Reason() + kNothingWritten;
        Files().CloseFile(in);
      }
      const std::string holder = folder->Holder(step.name);
      if (!holder.empty()) return AlreadyExists(step.name, holder);
      folder->Add(step.name, true);
      return {};
    }
    case JoinStep::Delete:
      if (!step.wildcard) {
        const std::string made = folder->Find(step.name, &kind);
        if (kind == Folder::Kind::None || !folder->IsMade(made)) {
          return "Not made by this join, so not deleted: " + step.name + kNothingWritten;
        }
      }
      for (const std::string& name : Deletions(step, *folder)) folder->Remove(name);
      return {};
    case JoinStep::Rename: {
      const std::string old = folder->Find(step.name, &kind);
      if (kind == Folder::Kind::None) return "File to rename not found: " + step.name + kNothingWritten;
      if (kind != Folder::Kind::File) return "Not a plain file: " + step.name + kNothingWritten;
      if (!folder->IsMade(old)) {
        return "Not made by this join, so not renamed: " + step.name + kNothingWritten;
      }
      const std::string holder = folder->Holder(step.newName, old);
      if (!holder.empty()) return AlreadyExists(step.newName, holder);
      folder->Remove(old);
      folder->Add(step.newName, true);
      return {};
    }
  }
  return {};
}

// The code page besides the one in use in which the join file finds every piece it names
// in the folder, or 0. A join file made where another page is the OEM one names its
// aliases in that page.
int PageThatFindsThePieces(const std::string& text, const Folder& folder) {
  for (int page : OtherOemCodePages()) {
    std::vector<JoinStep> steps;
    std::string problem;
    if (!ParseJoinScript(JoinTextToHost(text, page), &steps, &problem)) continue;
    std::vector<std::string> made;
    bool found = true;
    for (const JoinStep& step : steps) {
      if (step.kind != JoinStep::Copy) continue;
      for (const std::string& source : step.sources) {
        Folder::Kind kind;
        folder.Find(source, &kind);
        found = found && (kind != Folder::Kind::None ||
                          std::any_of(made.begin(), made.end(), [&](const std::string& name) {
                            return EqualIgnoringAsciiCase(name, source);
                          }));
      }
      made.push_back(step.name);
    }
    if (found) return page;
  }
  return 0;
}

// A new file in the folder, under a name of its own: the target gets its name only once
// every byte is in.
FileHandle CreateTemporary(Folder* folder, std::string* name) {
  for (int n = 1; n < 1000; ++n) {
    *name = ".parcelo95-join-" + std::to_string(n) + ".part";
    std::uint32_t error = 0;
    ClearSystemError();
    const FileHandle file = Files().CreateNewFile(folder->PathOf(*name), &error);
    if (file != kInvalidFile) {
      folder->Add(*name, true);
      return file;
    }
    if (error != kErrorFileExists) return kInvalidFile;
  }
  return kInvalidFile;
}

// What a COPY step wrote: its target and the CRC-32 and size of the bytes, taken as they
// passed.
struct Written {
  std::string name;
  std::uint32_t crc = 0;
  std::uint64_t size = 0;
};

// Takes the CRC-32 and the size of what a COPY step writes as the bytes pass.
class WrittenTap : public ChunkTap {
 public:
  explicit WrittenTap(Written* written) : written_(written) {}
  void Seen(const void* data, std::uint32_t count) override {
    written_->crc = Crc32Update(written_->crc, data, count);
    written_->size += count;
  }

 private:
  Written* written_;
};

// Appends source to out; the message of a failure, or empty. One chunk operation per step,
// so that the holes of a sparse piece stay holes where the System keeps them.
std::string CopyInto(FileHandle out, const std::string& source, const std::string& sourceName,
                     const std::string& target, std::vector<char>* buffer, Written* written) {
  if (PendingInterrupt() != 0) return kInterrupted;
  std::uint32_t error = 0;
  ClearSystemError();
  const FileHandle in = Files().OpenForReading(source, &error);
  if (in == kInvalidFile) {
    // A FIFO put in a piece's place since the checks is refused, not waited on.
    FoundFile found;
    const bool odd = Files().FindFile(source, &found) && found.kind != EntryKind::File;
    return "Cannot read " + sourceName + ": " + (odd ? std::string("not a plain file") : Reason());
  }
  std::string problem;
  WrittenTap tap(written);
  for (;;) {
    if (PendingInterrupt() != 0) {
      problem = kInterrupted;
      break;
    }
    ClearSystemError();
    const ChunkResult chunk = Files().CopyChunk(in, out, kInvalidFile, buffer->data(),
                                                static_cast<std::uint32_t>(buffer->size()), &tap);
    if (!chunk.read.ok) {
      problem = "Cannot read " + sourceName + ": " + Reason();
      break;
    }
    if (chunk.read.bytes == 0) break;
    if (!chunk.write.ok) {
      problem = "Cannot write " + target + ": " + Reason();
      break;
    }
  }
  Files().CloseFile(in);
  return problem;
}

// One step for real; the message of a failure, or empty. *written follows the file the
// last COPY made, through its REN.
std::string RunStep(const JoinStep& step, Folder* folder, std::vector<char>* buffer,
                    Written* written) {
  Folder::Kind kind;
  switch (step.kind) {
    case JoinStep::Echo:
      std::printf("%s\n", step.text.c_str());
      return {};
    case JoinStep::Copy: {
      std::string temporary;
      const FileHandle out = CreateTemporary(folder, &temporary);
      if (out == kInvalidFile) return "Cannot write " + step.name + ": " + Reason();
      std::string problem;
      *written = Written{step.name};
      for (const std::string& source : step.sources) {
        problem = CopyInto(out, folder->PathOf(folder->Find(source, &kind)), source, step.name,
                           buffer, written);
        if (!problem.empty()) break;
      }
      Files().CloseFile(out);
      if (!problem.empty()) return problem;
      std::uint32_t error = 0;
      ClearSystemError();
      if (!Files().RenameNoReplace(folder->PathOf(temporary), folder->PathOf(step.name), &error)) {
        if (error == kErrorFileExists) return TakenMeanwhile(step.name);
        return "Cannot write " + step.name + ": " + Reason();
      }
      folder->Remove(temporary);
      folder->Add(step.name, true);
      return {};
    }
    case JoinStep::Delete:
      for (const std::string& name : Deletions(step, *folder)) {
        folder->RemoveOrSay(name);
        folder->Remove(name);
      }
      return {};
    case JoinStep::Rename: {
      const std::string old = folder->Find(step.name, &kind);
      if (old == step.newName) return {};
      std::uint32_t error = 0;
      ClearSystemError();
      if (!Files().RenameNoReplace(folder->PathOf(old), folder->PathOf(step.newName), &error)) {
        if (error == kErrorFileExists) return TakenMeanwhile(step.newName);
        return "Cannot rename " + step.name + " to " + step.newName + ": " + Reason();
      }
      folder->Remove(old);
      folder->Add(step.newName, true);
      if (EqualIgnoringAsciiCase(written->name, step.name)) written->name = step.newName;
      return {};
    }
  }
  return {};
}

// Every piece the join reads against the checksum file, before anything is written: each
// one that is not right is named. False after the messages.
bool CheckBeforeJoin(const FolderView& folder, const std::vector<std::string>& pieces,
                     const std::string& sfvName, SfvFile* sfv) {
  std::string problem;
  if (!ReadSfvFile(folder, sfvName, sfv, &problem)) {
    Fail(problem + kNothingWritten);
    return false;
  }
  const std::vector<PieceCheck> checks = CheckPieces(folder, pieces, *sfv);
  bool right = true;
  for (const PieceCheck& check : checks) {
    if (check.state == PieceCheck::Right) continue;
    Fail(DescribeCheck(check, sfvName) + kNothingWrittenHere);
    right = false;
  }
  if (right && !RebuildsSource(checks, *sfv, sfvName, &problem)) {
    Fail(problem + kNothingWrittenHere);
    right = false;
  }
  return right;
}

// Pieces rebuilt under names of their own are the join's own files, read in the pieces'
// place.
void UseRepairs(Folder* folder, const FolderRecoverySink& repairs) {
  for (const auto& [name, file] : repairs.made()) {
    folder->Add(file, true);
    folder->StandIn(name, file);
  }
}

// Rebuilt pieces kept under their own names go with the join, however it ends.
struct RepairsGone {
  FolderRecoverySink& repairs;
  ~RepairsGone() { repairs.RemoveMade(); }
};

}  // namespace

int RunJoin(const std::string& target, bool writeBack) {
  std::string joinFile = target.empty() ? std::string(".") : target;
  const PathKind kind = KindOfPath(joinFile);
  if (kind == PathKind::None) return Fail("Join file not found: " + joinFile);
  if (kind != PathKind::File && kind != PathKind::Folder) {
    return Fail("Not a plain file: " + joinFile);
  }
  const std::string folderPath = kind == PathKind::Folder ? joinFile : ParentFolder(joinFile);
  const std::string dosFolder = ToDosPath(folderPath);
  if (dosFolder.empty()) return Fail(WhyNoDosPath(folderPath));
  std::string joinName = NameInFolder(joinFile);
  if (kind == PathKind::Folder) {
    const std::vector<std::string> names = FolderView(dosFolder, folderPath).PlainFilesNamed(IsJoinFileName);
    if (names.empty()) {
      return Fail("No join file (Join.bat or Join-*.bat) in " + joinFile + ".");
    }
    int chosen = 0;
    if (names.size() > 1) {
      std::string question = "Several join files in " + joinFile + ":";
      for (std::size_t i = 0; i < names.size(); ++i) {
        question += "\n  " + std::to_string(i + 1) + ". " + names[i];
      }
      chosen = AskChoice(question, static_cast<int>(names.size()));
      if (chosen < 0) return Fail("No join file chosen: name one, as in parcelo95 join FOLDER/JOINFILE.");
    }
    joinName = names[static_cast<std::size_t>(chosen)];
    joinFile = JoinPath(joinFile, joinName);
  } else if (ToDosPath(joinFile).empty()) {
    return Fail(WhyNoDosPath(joinFile));
  }
  std::string text, problem;
  if (!ReadTextFile(PathInFolder(dosFolder, joinName), joinFile, "join file", &text, &problem)) {
    return Fail(problem);
  }

  std::vector<JoinStep> steps;
  // The command interpreter reads the file in the OEM code page; so do we.
  if (!ParseJoinScript(JoinTextToHost(text), &steps, &problem)) return Fail(problem + kNothingWritten);
  if (std::none_of(steps.begin(), steps.end(),
                   [](const JoinStep& step) { return step.kind == JoinStep::Copy; })) {
    return Fail((text.empty() ? "The join file is empty: " : "The join file has no COPY line: ") +
                joinFile + kNothingWritten);
  }
  FolderRecoverySink repairs(dosFolder, writeBack);
  RepairsGone repairsGone{repairs};
  if (!RepairBeforeJoin(FolderView(dosFolder, folderPath), JoinPieces(steps), writeBack,
                        &repairs)) {
    return 1;
  }
  Folder planned(dosFolder, folderPath);
  UseRepairs(&planned, repairs);
  for (const JoinStep& step : steps) {
    bool pieceMissing = false;
    problem = StepProblem(step, &planned, &pieceMissing);
    if (problem.empty()) continue;
    if (const int page = pieceMissing ? PageThatFindsThePieces(text, Folder(dosFolder, folderPath)) : 0) {
      problem += "\nRead in code page " + std::to_string(page) +
                 " the join file finds all its pieces: join it with --codepage " +
                 std::to_string(page) + ".";
    }
    return Fail(problem);
  }
  const std::vector<std::string> pieces = JoinPieces(steps);
  Folder folder(dosFolder, folderPath);
  UseRepairs(&folder, repairs);
  const std::string sfvName = ChecksumFileFor(folder, pieces.front());
  SfvFile sfv;
  if (sfvName.empty()) {
    std::fprintf(stderr, "No checksum file (%s): the pieces could not be checked.\n",
                 ChecksumFileNameFor(pieces.front()).c_str());
  } else if (!CheckBeforeJoin(folder, pieces, sfvName, &sfv)) {
    return 1;
  }
  std::vector<char> buffer(kCopyBuffer);
  Written written;
  // An interrupted join takes back what it made, as a failed one does: its intermediate
  // and temporary files would be left for ever otherwise.
  CatchInterrupts();
  for (const JoinStep& step : steps) {
    problem = PendingInterrupt() != 0 ? kInterrupted : RunStep(step, &folder, &buffer, &written);
    if (problem.empty()) continue;
    const bool made = !folder.Made().empty();
    folder.RemoveMade();
    repairs.RemoveMade();
    if (const int signal = PendingInterrupt()) {
      Fail(std::string(kInterrupted) + (made ? kTakenBack : kNothingWritten));
      EndByInterrupt(signal);
    }
    return Fail(problem + (made ? kTakenBack : kNothingWritten));
  }
  if (!sfvName.empty() && sfv.sourceKnown &&
      (written.crc != sfv.sourceCrc || written.size != sfv.sourceSize)) {
    // The pieces changed while they were read: what was made is not the file.
    folder.RemoveMade();
    return Fail("The rebuilt " + written.name + " has " + std::to_string(written.size) +
                " bytes with CRC-32 0x" + CrcHex(written.crc) + ", where " + sfvName +
                " expects " + std::to_string(sfv.sourceSize) + " bytes with CRC-32 0x" +
                CrcHex(sfv.sourceCrc) + kTakenBack);
  }
  // Too late to take anything back: the file is whole.
  if (const int signal = PendingInterrupt()) {
    repairs.RemoveMade();
    EndByInterrupt(signal);
  }
  // On standard error: standard output shows what the join file's ECHO lines say, as cmd
  // would.
  if (!sfvName.empty()) {
    const std::string count = std::to_string(pieces.size()) + (pieces.size() == 1 ? " piece" : " pieces");
    if (sfv.sourceKnown) {
      std::fprintf(stderr, "The %s and the rebuilt %s (%s bytes, CRC-32 0x%s) match %s.\n", count.c_str(),
                  written.name.c_str(), std::to_string(written.size).c_str(),
                  CrcHex(written.crc).c_str(), sfvName.c_str());
    } else {
      std::fprintf(stderr, "The %s match %s.\n", count.c_str(), sfvName.c_str());
    }
  }
  return 0;
}

}  // namespace parcelo
