#include "engine/destination_claim.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <vector>

#include "engine/app_settings.h"
#include "engine/join_batch.h"
#include "engine/join_file_names.h"
#include "engine/output_file.h"
#include "engine/piece_name.h"
#include "engine/split_checksums.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_progress.h"
#include "engine/text_format.h"
#include "platform/system.h"

namespace parcelo {
namespace {

// Tails tried before a run gives up looking for a free one.
constexpr int kMostTails = 1000;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string Oem(const std::string& name) {
  std::string oem;
  Files().ToOemText(name, &oem);
  return oem;
}

int Refuse(const std::string& text) {
  splitProgress->Ask(text, kCaptionError, kMbIconError);
  return 0;
}

// Whether name (a join file's word, in capitals) is piece n of base (in capitals) with n
// below pieceCount, or of any n when pieceCount is 0.
bool IsPieceOf(const std::string& name, const std::string& base, std::uint32_t pieceCount) {
  if (name.size() < base.size() + 4 || name.compare(0, base.size(), base) != 0 ||
      name[base.size()] != '.') {
    return false;
  }
  const std::string number = name.substr(base.size() + 1);
  if (number.size() > 9 || number.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  int n = 0;  // at most nine digits, checked above
  for (char digit : number) n = n * 10 + (digit - '0');
  std::string piece = base;
  return AppendPieceNumber(n, piece) == name &&
         (pieceCount == 0 || static_cast<std::uint32_t>(n) < pieceCount);
}

struct Owners {
  std::string otherJoinFile;  // a join file of another source that reads one of the pieces
  std::string otherPiece;     // that piece, as the join file reads it (OEM, capitals)
  std::string otherFolder;    // the folder of both
  std::vector<std::string> ownJoinFiles;  // paths of this source's join files naming them
  std::string otherAtJoinName;  // another source's join file under this run's join file name
};

// The join files of folder that read a piece for which isOurs is true. One is this
// source's when its REN line gives back this source's long name or, without a REN line,
// when it rebuilds the file under this run's 8.3 name: a join file says no more about the
// file it rebuilds, so two sources of one 8.3 name cannot be told apart there.
Owners FindOwners(const std::string& folder, const std::function<bool(const std::string&)>& isOurs) {
  const SplitJob& job = splitJob;
  Owners owners;
  const std::string oemLong = Oem(job.longName);
  const std::string oemShort = Oem(job.shortName);
  for (const std::string& name : Files().FolderNames(folder)) {
    if (!IsJoinFileName(name)) continue;
    const std::string path = PathInFolder(folder, name);
    JoinFileNames content;
    if (!ReadJoinFileNames(path, &content)) continue;
    // Where names have case, Data.bin and data.bin are two sources: only the same bytes
    // name this one.
    const bool same =
        !Files().NamesHaveCase()
            ? content.renames ? EqualIgnoringAsciiCase(content.longName, oemLong)
                              : EqualIgnoringAsciiCase(content.rebuilds, oemShort)
        : content.renames ? content.longName == oemLong
                          : content.rebuilds == oemShort || content.rebuilds == oemLong;
    // Join.bat serves every source: the one there may be all that rebuilds another.
    if (!same && !content.pieces.empty() && owners.otherAtJoinName.empty() &&
        Files().EqualIgnoringCase(name, job.joinFileName)) {
      owners.otherAtJoinName = name;
    }
    const auto piece = std::find_if(content.pieces.begin(), content.pieces.end(), isOurs);
    if (piece == content.pieces.end()) continue;
    if (same) {
      owners.ownJoinFiles.push_back(path);
    } else if (owners.otherJoinFile.empty()) {
      owners.otherJoinFile = name;
      owners.otherPiece = *piece;
      owners.otherFolder = folder;
    }
  }
  return owners;
}

// True when path reaches a file that has another name (as its 8.3 name).
bool ReachesAnotherFile(const std::string& path) {
  FoundFile found;
  return Files().FindFile(path, &found) && !Files().EqualIgnoringCase(found.name, LastComponent(path));
}

// The next "~N" tail for the run's short name whose first piece and rebuilt file reach no
// other file in the destination. False, with the names unchanged, when there is none.
bool TakeNextTail() {
  SplitJob& job = splitJob;
  std::string next = job.shortName;
  for (int tries = 0; tries < kMostTails; ++tries) {
    next = NextShortNameTail(next);
    if (next.empty()) return false;
    const std::string base = next.substr(0, next.rfind('.'));
    // The disks of a spanned run are seen only as they come.
    if (job.spanToDisk ||
        (!ReachesAnotherFile(PiecePath(job.destinationPath, base, 0)) &&
         !ReachesAnotherFile(PathInFolder(job.destinationPath, next)))) {
      job.shortName = next;
      job.pieceBaseName = base;
      return true;
    }
  }
  return false;
}

enum class LockResult { Taken, JoinFileBusy, PiecesBusy };

// The run's two names in each of its folders: the join file's, and its pieces' base.
LockResult TakeLocks(const std::vector<std::string>& folders, std::string* busyName,
                     std::string* busyFolder) {
  SplitJob& job = splitJob;
  for (const std::string& folder : folders) {
    const std::string names[] = {job.joinFileName, job.pieceBaseName + ".*"};
    for (const std::string& name : names) {
      NameLock lock = kNoLock;
      if (!Files().LockName(folder, name, &lock)) {
        ReleaseDestination();
        *busyFolder = folder;
        if (&name == &names[0]) {
          *busyName = name;
          return LockResult::JoinFileBusy;
        }
        std::string first = job.pieceBaseName;
        *busyName = AppendPieceNumber(0, first);
        return LockResult::PiecesBusy;
      }
      if (lock != kNoLock) job.nameLocks.push_back(lock);
    }
  }
  return LockResult::Taken;
}

// The name the join file rebuilds the source under when a file of the run has it too (a
// piece, an intermediate file, the checksum file or the join file itself), which the
// rebuilding would write over or delete; empty when there is none.
std::string RebuiltOntoOwnFile() {
  const SplitJob& job = splitJob;
  std::vector<std::string> targets{job.shortName};
  const LongNameStep step = LongNameStepFor(job.shortName, job.longName, appSettings.useDos83);
  if (step == LongNameStep::Rename || step == LongNameStep::CopyToLongName) {
    targets.push_back(job.longName);
  }
  const std::string base = Upper(Oem(job.pieceBaseName));
  const std::string checksums = job.checksums != nullptr ? job.checksums->FileName() : "";
  const bool intermediates = job.pieceCount == 0 || job.pieceCount >= kPiecesPerCopyLine;
  for (const std::string& target : targets) {
    const std::string oem = Upper(Oem(target));
    const bool intermediate = intermediates && oem.size() == base.size() + 4 &&
                              oem.compare(0, base.size() + 1, base + ".") == 0 &&
                              oem.back() == '_';
    if (IsPieceOf(oem, base, job.pieceCount) || intermediate ||
        Files().EqualIgnoringCase(target, job.joinFileName) ||
        (!checksums.empty() && Files().EqualIgnoringCase(target, checksums))) {
      return target;
    }
  }
  return {};
}

void WarnAboutShortenedNames(bool joinNameShortened, const std::string& longJoinName) {
  const SplitJob& job = splitJob;
  const bool keepsShortName = LongNameStepFor(job.shortName, job.longName, appSettings.useDos83) ==
                              LongNameStep::KeepShortName;
  std::string text;
  if (joinNameShortened && keepsShortName) {
    text = Format(kTextNameTooLongForJoinAndDos, job.longName.c_str(), job.joinFileName.c_str(),
                  job.shortName.c_str());
  } else if (joinNameShortened) {
    text = Format(kTextJoinNameTooLong, longJoinName.c_str(), job.joinFileName.c_str());
  } else if (keepsShortName) {
    text = Format(kTextLongNameStaysShort, job.longName.c_str(), job.shortName.c_str());
  } else {
    return;
  }
  splitProgress->Ask(text, kCaptionWarning, kMbOk | kMbIconWarning);
}

}  // namespace

int ClaimDestination(bool shortNameIsMadeUp) {
  SplitJob& job = splitJob;
  job.staleJoinFiles.clear();
  job.nameLocks.clear();

  // Where the run writes, and where what is there now counts: a spanned run meets its
  // disks only as they are inserted.
  std::vector<std::string> folders{job.destinationPath};
  if (job.backupEnabled && !Files().EqualIgnoringCase(job.backupFolder, job.destinationPath)) {
    folders.push_back(job.backupFolder);
  }
  std::vector<std::string> seenNow = folders;
  if (job.spanToDisk) seenNow.erase(seenNow.begin());

  // A join file whose name cannot be a file would fail only after every piece is written.
  const std::string longJoinName = JoinFileName(job.longName);
  bool joinNameShortened = false;
  for (const std::string& folder : folders) {
    if (!Files().CanNameFile(PathInFolder(folder, longJoinName))) joinNameShortened = true;
  }

  for (int tries = 0;; ++tries) {
    job.joinFileName = joinNameShortened ? "Join-" + job.shortName + ".bat" : longJoinName;
    for (const std::string& folder : folders) {
      const std::string path = PathInFolder(folder, job.joinFileName);
      if (!Files().CanNameFile(path)) {
        return Refuse(std::string(kTextJoinFailed) + "\nReason: " +
                      Format(kReasonNameTooLong, path.c_str()));
      }
    }
    // Where names have case, Join-Data.bin.bat is another source's: the System, which finds
    // names without case, would write this run's join file over it.
    for (const std::string& folder : seenNow) {
      FoundFile holder;
      if (Files().NamesHaveCase() && Files().FindFile(PathInFolder(folder, job.joinFileName), &holder) &&
          holder.name != job.joinFileName) {
        return Refuse(Format(kTextPieceOfOtherJoinFile, job.joinFileName.c_str(), folder.c_str(),
                             holder.name.c_str()));
      }
    }

    const std::string base = Upper(Oem(job.pieceBaseName));
    const std::uint32_t count = job.pieceCount;
    Owners owners;
    std::vector<std::pair<std::string, std::string>> stale;
    std::string joinTaken, joinTakenFolder;
    for (const std::string& folder : seenNow) {
      Owners here = FindOwners(folder, [&base, count](const std::string& name) {
        return IsPieceOf(name, base, count);
      });
      if (joinTaken.empty() && !here.otherAtJoinName.empty()) {
        joinTaken = here.otherAtJoinName;
        joinTakenFolder = folder;
      }
      if (owners.otherJoinFile.empty()) owners = here;
      for (const std::string& path : here.ownJoinFiles) stale.emplace_back(folder, path);
    }
    const bool canTakeAnother = shortNameIsMadeUp && tries < kMostTails;
    if (!owners.otherJoinFile.empty()) {
      if (canTakeAnother && TakeNextTail()) continue;
      const std::string piece = job.pieceBaseName + owners.otherPiece.substr(base.size());
      return Refuse(Format(kTextPieceOfOtherJoinFile, piece.c_str(),
                           owners.otherFolder.c_str(), owners.otherJoinFile.c_str()));
    }
    if (!joinTaken.empty()) {
      return Refuse(Format(kTextJoinFileOfOther, joinTaken.c_str(), joinTakenFolder.c_str()));
    }

    std::string busyName, busyFolder;
    const LockResult locks = TakeLocks(folders, &busyName, &busyFolder);
    if (locks == LockResult::PiecesBusy && canTakeAnother && TakeNextTail()) continue;
    if (locks != LockResult::Taken) {
      return Refuse(Format(kTextSplitRunning, busyName.c_str(), busyFolder.c_str()));
    }
    job.staleJoinFiles = stale;
    break;
  }
  // What would fail only after every piece is written, or rebuild onto a file the join
  // file still needs, is refused before the first.
  if (!job.spanToDisk) {
    const std::string why = OutputRefusal(PathInFolder(job.destinationPath, job.joinFileName));
    if (!why.empty()) return Refuse(std::string(kTextJoinFailed) + "\nReason: " + why);
  }
  if (const std::string target = RebuiltOntoOwnFile(); !target.empty()) {
    return Refuse(Format(kTextRebuiltOntoOwnFile, job.longName.c_str(), target.c_str()));
  }
  WarnAboutShortenedNames(joinNameShortened, longJoinName);
  return 1;
}

void ReleaseDestination() {
  for (NameLock lock : splitJob.nameLocks) Files().UnlockName(lock);
  splitJob.nameLocks.clear();
}

bool ClearWayForPiece(const std::string& folder, const std::string& pieceName, bool newDisk,
                      bool backup) {
  SplitJob& job = splitJob;
  if (newDisk) {
    const std::string ours = Upper(Oem(pieceName));
    const Owners owners =
        FindOwners(folder, [&ours](const std::string& name) { return name == ours; });
    if (!owners.otherJoinFile.empty()) {
      return Refuse(Format(kTextPieceOfOtherJoinFile, pieceName.c_str(), folder.c_str(),
                           owners.otherJoinFile.c_str()));
    }
    if (!owners.otherAtJoinName.empty()) {
      return Refuse(Format(kTextJoinFileOfOther, owners.otherAtJoinName.c_str(), folder.c_str()));
    }
    for (const std::string& path : owners.ownJoinFiles) {
      if (std::find(job.staleJoinFiles.begin(), job.staleJoinFiles.end(),
                    std::make_pair(folder, path)) == job.staleJoinFiles.end()) {
        job.staleJoinFiles.emplace_back(folder, path);
      }
    }
  }
  bool checked = false;
  for (auto stale = job.staleJoinFiles.begin(); stale != job.staleJoinFiles.end();) {
    if (stale->first != folder) {
      ++stale;
      continue;
    }
    if (!checked) {
      FoundFile piece;
      if (!Files().FindFile(PathInFolder(folder, pieceName), &piece)) return true;  // nothing written over
      checked = true;
    }
    FoundFile still;
    if (!Files().RemoveFile(stale->second) && Files().FindFile(stale->second, &still)) {
      return Refuse(Format(backup ? kTextStaleBackupJoinStays : kTextStaleJoinStays,
                           stale->second.c_str()));
    }
    stale = job.staleJoinFiles.erase(stale);
  }
  return true;
}

}  // namespace parcelo
