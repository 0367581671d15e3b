// parcelo95 verify: pieces against their checksum file (or, without one, against the recovery
// files that cover them), without joining them. One line per piece on standard output; exit
// status 0 only when every piece is right.
#include <cstdio>
#include <string>
#include <vector>

#include "checksums/sfv_file.h"
#include "cli/commands.h"
#include "cli/folder_view.h"
#include "cli/host.h"
#include "cli/join_script.h"
#include "cli/piece_checks.h"
#include "cli/recovery_report.h"
#include "cli/text_file.h"
#include "engine/join_file_names.h"
#include "platform/system.h"

namespace parcelo {
namespace {

int Fail(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  return 1;
}

bool IsChecksumFileName(const std::string& name) {
  return name.size() > 4 && EqualIgnoringAsciiCase(name.substr(name.size() - 4), ".sfv");
}

// Prints the lines of checks and the summary; true when every piece is right and, where the
// file names it, they make the source.
bool Report(const std::vector<PieceCheck>& checks, const SfvFile& sfv, const std::string& sfvName) {
  std::size_t wrong = 0;
  for (const PieceCheck& check : checks) {
    std::printf("%s\n", DescribeCheck(check, sfvName).c_str());
    if (check.state != PieceCheck::Right) ++wrong;
  }
  if (wrong > 0) {
    std::printf("%zu of %zu pieces are not right.\n", wrong, checks.size());
    return false;
  }
  std::string problem;
  if (!RebuildsSource(checks, sfv, sfvName, &problem)) {
    std::printf("%s.\n", problem.c_str());
    return false;
  }
  if (sfv.sourceKnown) {
    std::printf("All %zu pieces are right; together they are %s (%s bytes, CRC-32 0x%s).\n",
                checks.size(), sfv.sourceName.c_str(), std::to_string(sfv.sourceSize).c_str(),
                CrcHex(sfv.sourceCrc).c_str());
  } else {
    std::printf("All %zu pieces are right.\n", checks.size());
  }
  return true;
}

// A file that could hold recovery blocks and could not be read: what verify says of the
// pieces' chances may be wrong.
bool SayUnreadable(const std::string& unreadable) {
  if (unreadable.empty()) return true;
  std::printf("Recovery files could not all be looked for: %s cannot be read.\n", unreadable.c_str());
  return false;
}

// A line for each recovery set that covers any of pieces: whether it can repair them. False
// when a file could not be looked into.
bool ReportRecovery(const FolderView& folder, const std::vector<std::string>& pieces) {
  std::string unreadable;
  for (const RecoverySetState& set : SetsCovering(folder, pieces, &unreadable)) {
    std::printf("%s\n", DescribeRecovery(set).c_str());
  }
  return SayUnreadable(unreadable);
}

// A folder without checksum files, by its recovery sets alone: each piece as the set finds
// it. False when there is none.
bool VerifyRecoverySets(const FolderView& folder, int* status) {
  std::string unreadable;
  const std::vector<RecoverySetState> sets = SetsCovering(folder, {}, &unreadable);
  if (!SayUnreadable(unreadable)) *status = 1;
  for (const RecoverySetState& set : sets) {
    if (&set != &sets.front()) std::printf("\n");
    std::size_t wrong = 0;
    for (const RecoverySetPiece& piece : set.pieces) {
      std::printf("%s\n", DescribeSetPiece(piece).c_str());
      if (piece.condition != PieceCondition::Complete) ++wrong;
    }
    if (!set.described || wrong > 0) *status = 1;
    if (wrong > 0) std::printf("%zu of %zu pieces are not right.\n", wrong, set.pieces.size());
    std::printf("%s\n", DescribeRecovery(set).c_str());
  }
  return !sets.empty();
}

// The pieces of a join file without a checksum file, by the recovery sets that cover them:
// each piece as a set finds it, then each set. False when no set covers any of them.
bool VerifyPiecesBySets(const FolderView& folder, const std::vector<std::string>& pieces,
                        int* status) {
  std::string unreadable;
  const std::vector<RecoverySetState> sets = SetsCovering(folder, pieces, &unreadable);
  if (sets.empty()) return false;
  std::size_t wrong = 0;
  for (const std::string& name : pieces) {
    const RecoverySetPiece* found = nullptr;
    for (const RecoverySetState& set : sets) {
      // A set that lacks its descriptions has not looked at the pieces.
      if (!set.described) continue;
      for (const RecoverySetPiece& piece : set.pieces) {
        if (found == nullptr && EqualIgnoringAsciiCase(piece.name, name)) found = &piece;
      }
    }
    if (found == nullptr) {
      std::printf("%s: not described by the recovery files\n", name.c_str());
    } else {
      std::printf("%s\n", DescribeSetPiece(*found).c_str());
    }
    if (found == nullptr || found->condition != PieceCondition::Complete) ++wrong;
  }
  if (wrong > 0) {
    std::printf("%zu of %zu pieces are not right.\n", wrong, pieces.size());
  } else {
    std::printf("All %zu pieces are right.\n", pieces.size());
  }
  for (const RecoverySetState& set : sets) std::printf("%s\n", DescribeRecovery(set).c_str());
  const bool lookedEverywhere = SayUnreadable(unreadable);
  *status = wrong == 0 && lookedEverywhere ? 0 : 1;
  return true;
}

// Every file that the checksum file in folder lists.
int VerifyChecksumFile(const FolderView& folder, const std::string& sfvName) {
  SfvFile sfv;
  std::string problem;
  if (!ReadSfvFile(folder, sfvName, &sfv, &problem)) return Fail(problem);
  if (sfv.entries.empty()) return Fail(sfvName + " lists no files.");
  std::vector<std::string> names;
  for (const SfvEntry& entry : sfv.entries) names.push_back(entry.name);
  const bool right = Report(CheckPieces(folder, names, sfv), sfv, sfvName);
  return ReportRecovery(folder, names) && right ? 0 : 1;
}

// The pieces that the join file reads, against the checksum file beside it.
int VerifyJoinFile(const FolderView& folder, const std::string& name, const std::string& joinFile) {
  std::string text, problem;
  if (!ReadTextFile(folder.PathOf(name), joinFile, "join file", &text, &problem)) return Fail(problem);
  std::vector<JoinStep> steps;
  if (!ParseJoinScript(JoinTextToHost(text), &steps, &problem)) return Fail(problem);
  const std::vector<std::string> pieces = JoinPieces(steps);
  if (pieces.empty()) return Fail("The join file has no COPY line: " + joinFile);
  const std::string sfvName = ChecksumFileFor(folder, pieces.front());
  if (sfvName.empty()) {
    int status = 0;
    if (VerifyPiecesBySets(folder, pieces, &status)) return status;
    return Fail("No checksum file (" + ChecksumFileNameFor(pieces.front()) + ") beside " +
                joinFile + ": the pieces could not be checked.");
  }
  SfvFile sfv;
  if (!ReadSfvFile(folder, sfvName, &sfv, &problem)) return Fail(problem);
  const bool right = Report(CheckPieces(folder, pieces, sfv), sfv, sfvName);
  return ReportRecovery(folder, pieces) && right ? 0 : 1;
}

// Every checksum file of the folder, one after the other.
int VerifyFolder(const FolderView& folder) {
  const std::vector<std::string> names = folder.PlainFilesNamed(IsChecksumFileName);
  int status = 0;
  if (names.empty()) {
    if (VerifyRecoverySets(folder, &status)) return status;
    return Fail("No checksum file (*.SFV) in " + folder.shown() + ".");
  }
  for (const std::string& name : names) {
    if (names.size() > 1) std::printf("%s%s:\n", &name == &names.front() ? "" : "\n", name.c_str());
    std::fflush(stdout);
    if (VerifyChecksumFile(folder, name) != 0) status = 1;
  }
  return status;
}

}  // namespace

int RunVerify(const std::string& target) {
  const std::string path = target.empty() ? std::string(".") : target;
  const PathKind kind = KindOfPath(path);
  if (kind == PathKind::None) return Fail("Not found: " + path);
  if (kind != PathKind::File && kind != PathKind::Folder) return Fail("Not a plain file: " + path);
  const std::string folder = kind == PathKind::Folder ? path : ParentFolder(path);
  const std::string dos = ToDosPath(folder);
  if (dos.empty()) return Fail(WhyNoDosPath(folder));
  const FolderView view(dos, folder);
  if (kind == PathKind::Folder) return VerifyFolder(view);
  const std::string name = NameInFolder(path);
  if (IsJoinFileName(name)) return VerifyJoinFile(view, name, path);
  return VerifyChecksumFile(view, name);
}

}  // namespace parcelo
