#include "engine/join_batch.h"

#include "engine/output_file.h"
#include "engine/piece_name.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "frontend/app_settings.h"
#include "platform/system.h"

namespace parcelo {
namespace {

constexpr char kHeader[] =
    "@ECHO OFF\r\nECHO.Make sure ALL the pieces are in this directory.\r\nECHO.Recombining "
    "files...\r\nECHO.\r\n";
constexpr char kFooter[] = "\r\nECHO.\r\nECHO.Done.";

// The name in the OEM code page; a character the page lacks cannot reach the file intact
// whatever is written, and the callers have made sure that only the long name can.
std::string Oem(const std::string& name) {
  std::string oem;
  Sys().ToOemText(name, &oem);
  return oem;
}

bool WriteAll(FileHandle file, const std::string& bytes) {
  return Sys().WriteFile(file, bytes.data(), static_cast<std::uint32_t>(bytes.size())).ok;
}

// A join file cut short would rebuild a wrong file or half of one: it goes.
void DisableBackup(FileHandle* backup, const std::string& path, const char* message) {
  if (*backup != kInvalidFile) {
    Sys().CloseFile(*backup);
    Sys().RemoveFile(path);
  }
  *backup = kInvalidFile;
  Sys().ShowMessageBox(progressDialog, message, kCaptionError, kMbIconError);
  splitJob.backupEnabled = 0;
}

}  // namespace

std::string BatchPercents(const std::string& text) {
  std::string doubled;
  for (char c : text) {
    doubled += c;
    if (c == '%') doubled += '%';
  }
  return doubled;
}

const char kEchoKeepsShortName[] =
    "ECHO.The rebuilt file keeps its 8.3 name: its long name cannot be given back here.";

LongNameStep LongNameStepFor(const std::string& shortName, const std::string& longName,
                             bool useDos83) {
  (void)shortName;
  if (useDos83) return LongNameStep::None;
  std::string oem;
  if (!Sys().ToOemText(longName, &oem)) return LongNameStep::KeepShortName;
  return LongNameStep::Rename;
}

std::string BatchName(const std::string& name) {
  if (name.find_first_of(" \t,;=+&^") == std::string::npos) return BatchPercents(name);
  return "\"" + BatchPercents(name) + "\"";
}

std::vector<std::string> JoinBatchWrites(const std::string& pieceBaseName,
                                         const std::string& shortName,
                                         const std::string& longName, std::uint32_t pieceCount,
                                         LongNameStep longNameStep) {
  std::vector<std::string> writes{kHeader};
  const std::uint32_t lines =
      pieceCount == 0 ? 1 : (pieceCount + kPiecesPerCopyLine - 1) / kPiecesPerCopyLine;
  for (std::uint32_t line = 0; line < lines; ++line) {
    std::string text = "COPY /B ";
    if (line > 0) text += BatchName(IntermediateName(pieceBaseName, static_cast<int>(line) - 1)) + "+";
    const std::uint32_t first = line * kPiecesPerCopyLine;
    const std::uint32_t end =
        first + kPiecesPerCopyLine < pieceCount ? first + kPiecesPerCopyLine : pieceCount;
    for (std::uint32_t n = first; n < end; ++n) {
      std::string piece = pieceBaseName;
      text += BatchName(AppendPieceNumber(static_cast<int>(n), piece));
      if (n + 1 < end) text += "+";
    }
    text += " ";
    if (line + 1 == lines) {
      text += BatchName(shortName);
    } else {
      text += BatchName(IntermediateName(pieceBaseName, static_cast<int>(line))) + "\r\n";
    }
    writes.push_back(text);
  }
  if (pieceCount >= kPiecesPerCopyLine) writes.push_back("\r\nDEL " + BatchName(pieceBaseName + ".??_"));
  if (longNameStep == LongNameStep::Rename) {
    writes.push_back("\r\nREN " + BatchName(shortName) + " \"" + BatchPercents(longName) + "\"");
  } else if (longNameStep == LongNameStep::KeepShortName) {
    writes.push_back(std::string("\r\n") + kEchoKeepsShortName);
  }
  writes.push_back(kFooter);
  return writes;
}

std::vector<std::string> JoinBatchFor(const std::string& pieceBaseName,
                                      const std::string& shortName, const std::string& longName,
                                      std::uint32_t pieceCount, bool useDos83) {
  return JoinBatchWrites(Oem(pieceBaseName), Oem(shortName), Oem(longName), pieceCount,
                         LongNameStepFor(shortName, longName, useDos83));
}

std::string JoinFilePath(const std::string& folder, const std::string& longName) {
  std::string name = "Join";
  if (appSettings.useLongJoinBatName && !appSettings.useDos83) name += "-" + longName;
  return PathInFolder(folder, name + ".bat");
}

std::uint32_t JoinRoomEstimate(std::uint32_t pieceCount, std::uint32_t longNameLength,
                               bool useDos83) {
  std::uint32_t estimate = 13 * pieceCount + 138;
  if (!useDos83) estimate += longNameLength + 21;
  if (pieceCount > kPiecesPerCopyLine) estimate += (pieceCount / kPiecesPerCopyLine) * 35 + 18;
  return estimate;
}

std::uint32_t JoinRoomNeeded(const std::string& pieceBaseName, const std::string& shortName,
                            const std::string& longName, std::uint32_t pieceCount,
                            bool useDos83) {
  std::size_t exact = 0;
  for (const std::string& bytes :
       JoinBatchFor(pieceBaseName, shortName, longName, pieceCount, useDos83)) {
    exact += bytes.size();
  }
  const std::uint32_t estimate =
      JoinRoomEstimate(pieceCount, static_cast<std::uint32_t>(longName.size()), useDos83);
  return exact > estimate ? static_cast<std::uint32_t>(exact) : estimate;
}

int WriteJoinBatch(const std::string& pieceBaseName, const std::string& shortName,
                   const std::string& longName) {
  SplitJob& job = splitJob;
  const std::string mainPath = JoinFilePath(job.destinationPath, longName);
  const FileHandle main = CreateOutputFile(mainPath);
  if (main == kInvalidFile) return 0;

  FileHandle backup = kInvalidFile;
  std::string backupPath;
  if (job.backupEnabled) {
    backupPath = JoinFilePath(job.backupFolder, longName);
    backup = CreateOutputFile(backupPath);
    if (backup == kInvalidFile) DisableBackup(&backup, backupPath, kTextJoinBackupCreateFailed);
  }

  for (const std::string& bytes :
       JoinBatchFor(pieceBaseName, shortName, longName, job.pieceCount, appSettings.useDos83)) {
    if (!WriteAll(main, bytes)) {
      Sys().CloseFile(main);
      Sys().RemoveFile(mainPath);
      if (backup != kInvalidFile) {
        Sys().CloseFile(backup);
        Sys().RemoveFile(backupPath);
      }
      return 0;
    }
    if (job.backupEnabled && !WriteAll(backup, bytes)) {
      DisableBackup(&backup, backupPath, kTextJoinBackupWriteFailed);
    }
  }
  Sys().CloseFile(main);
  if (backup != kInvalidFile) Sys().CloseFile(backup);
  return 1;
}

}  // namespace parcelo
