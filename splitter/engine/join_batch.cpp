#include "engine/join_batch.h"

#include <algorithm>

#include "engine/app_settings.h"
#include "engine/output_file.h"
#include "engine/piece_name.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
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
  Files().ToOemText(name, &oem);
  return oem;
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

std::string BatchName(const std::string& name) {
  if (name.find_first_of(" \t,;=+&^") == std::string::npos) return BatchPercents(name);
  return "\"" + BatchPercents(name) + "\"";
}

namespace {

// The REN line with the CR LF in front of it.
std::string RenameLine(const std::string& shortName, const std::string& longName) {
  return "\r\nREN " + BatchName(shortName) + " \"" + BatchPercents(longName) + "\"";
}

}  // namespace

const char kEchoKeepsShortName[] =
    "ECHO.The rebuilt file keeps its 8.3 name: its long name cannot be given back here.";

LongNameStep LongNameStepFor(const std::string& shortName, const std::string& longName,
                             bool useDos83) {
  if (useDos83) return LongNameStep::None;
  std::string oemLong;
  if (!Files().ToOemText(longName, &oemLong)) return LongNameStep::KeepShortName;
  if (longName != shortName && Files().EqualIgnoringCase(longName, shortName)) {
    return LongNameStep::CopyToLongName;
  }
  // The line with its CR LF in front, as it is written.
  if (RenameLine(Oem(shortName), oemLong).size() - 2 > kLongestBatchLine) {
    return LongNameStep::KeepShortName;
  }
  return LongNameStep::Rename;
}

namespace {

std::string PieceName(const std::string& pieceBaseName, std::uint32_t n) {
  std::string piece = pieceBaseName;
  return AppendPieceNumber(static_cast<int>(n), piece);
}

std::string Intermediate(const std::string& pieceBaseName, std::uint32_t line) {
  return BatchName(IntermediateName(pieceBaseName, static_cast<int>(line)));
}

// The lines as they always were: up to 70 names a line, the intermediate files removed at
// the end by their wildcard.
std::vector<std::string> WideCopyLines(const std::string& pieceBaseName,
                                       const std::string& target, std::uint32_t pieceCount) {
  std::vector<std::string> lines;
  const std::uint32_t count =
      pieceCount == 0 ? 1 : (pieceCount + kPiecesPerCopyLine - 1) / kPiecesPerCopyLine;
  for (std::uint32_t line = 0; line < count; ++line) {
    std::string text = "COPY /B ";
    if (line > 0) text += Intermediate(pieceBaseName, line - 1) + "+";
    const std::uint32_t first = line * kPiecesPerCopyLine;
    const std::uint32_t end =
        first + kPiecesPerCopyLine < pieceCount ? first + kPiecesPerCopyLine : pieceCount;
    for (std::uint32_t n = first; n < end; ++n) {
      text += BatchName(PieceName(pieceBaseName, n));
      if (n + 1 < end) text += "+";
    }
    text += " " + (line + 1 == count ? target : Intermediate(pieceBaseName, line));
    lines.push_back(text);
  }
  if (pieceCount >= kPiecesPerCopyLine) lines.push_back("DEL " + BatchName(pieceBaseName + ".??_"));
  return lines;
}

// Lines that COMMAND.COM runs whole: as many names as fit, each line adding to the
// intermediate file of the line before, which is then deleted by its name. Empty when a
// line cannot hold even one piece.
std::vector<std::string> ShortCopyLines(const std::string& pieceBaseName,
                                        const std::string& target, std::uint32_t pieceCount) {
  std::vector<std::string> lines;
  std::uint32_t n = 0;
  for (std::uint32_t line = 0; n < pieceCount; ++line) {
    std::string text = "COPY /B ";
    if (line > 0) text += Intermediate(pieceBaseName, line - 1) + "+";
    const std::string next = Intermediate(pieceBaseName, line);
    const std::uint32_t first = n;
    bool last = false;
    for (; n < pieceCount; ++n) {
      const std::string piece = (n > first ? "+" : "") + BatchName(PieceName(pieceBaseName, n));
      last = n + 1 == pieceCount;
      if (text.size() + piece.size() + 1 + (last ? target : next).size() > kLongestBatchLine) {
        last = false;
        break;
      }
      text += piece;
    }
    if (n == first) return {};
    text += " " + (last ? target : next);
    lines.push_back(text);
    if (line > 0) lines.push_back("DEL " + Intermediate(pieceBaseName, line - 1));
  }
  return lines;
}

bool AllFit(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    if (line.size() > kLongestBatchLine) return false;
  }
  return true;
}

}  // namespace

bool JoinLinesFit(const std::string& pieceBaseName, const std::string& shortName,
                  std::uint32_t pieceCount) {
  // The widest line: an intermediate, the piece with the longest number, and the longer of
  // the two targets. A spanned run does not know its count yet.
  const std::uint32_t widest = pieceCount == 0 ? 99999 : pieceCount - 1;
  const std::string intermediate = Intermediate(pieceBaseName, 0);
  const std::string target = BatchName(shortName);
  return std::string("COPY /B ").size() + intermediate.size() + 1 +
             BatchName(PieceName(pieceBaseName, widest)).size() + 1 +
             std::max(intermediate.size(), target.size()) <=
         kLongestBatchLine;
}

std::string JoinShortName(const std::string& alternateName, const std::string& ownName,
                          std::uint32_t pieceCount) {
  if (!alternateName.empty()) return alternateName;
  std::string oem;
  // A checksum file's line that begins with ";" is a comment to every reader.
  if (!ownName.empty() && ownName[0] != ';' && Files().ToOemText(ownName, &oem)) {
    const std::size_t dot = oem.rfind('.');
    const std::string base = dot != std::string::npos && dot > 0 ? oem.substr(0, dot) : oem;
    if (JoinLinesFit(base, oem, pieceCount)) return ownName;
  }
  return OwnShortName(ownName);
}

std::vector<std::string> JoinBatchWrites(const std::string& pieceBaseName,
                                         const std::string& shortName,
                                         const std::string& longName, std::uint32_t pieceCount,
                                         LongNameStep longNameStep) {
  std::vector<std::string> writes{kHeader};
  const std::string target = longNameStep == LongNameStep::CopyToLongName
                                 ? "\"" + BatchPercents(longName) + "\""
                                 : BatchName(shortName);
  // Where the old layout fits a DOS line it stays as it was, byte for byte.
  std::vector<std::string> lines = WideCopyLines(pieceBaseName, target, pieceCount);
  if (!AllFit(lines)) {
    std::vector<std::string> shorter = ShortCopyLines(pieceBaseName, target, pieceCount);
    if (!shorter.empty()) lines = shorter;
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    writes.push_back((i > 0 ? "\r\n" : "") + lines[i]);
  }
  if (longNameStep == LongNameStep::Rename) {
    writes.push_back(RenameLine(shortName, longName));
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

std::string JoinFileName(const std::string& longName) {
  std::string name = "Join";
  if (appSettings.useLongJoinBatName && !appSettings.useDos83) name += "-" + longName;
  return name + ".bat";
}

std::string JoinFilePath(const std::string& folder, const std::string& longName) {
  return PathInFolder(folder, JoinFileName(longName));
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
  const SplitJob& job = splitJob;
  const std::string name = job.joinFileName.empty() ? JoinFileName(longName) : job.joinFileName;
  return WriteRunFile(
      name, JoinBatchFor(pieceBaseName, shortName, longName, job.pieceCount, appSettings.useDos83),
      kTextJoinBackupCreateFailed, kTextJoinBackupWriteFailed);
}

}  // namespace parcelo
