// The DOS batch file that rebuilds the source from its pieces with COPY /B.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace parcelo {

constexpr std::uint32_t kPiecesPerCopyLine = 70;

// COMMAND.COM, which runs a double-clicked batch file on Windows 95 and 98, cuts every line
// at this many bytes (CR LF not counted).
constexpr std::size_t kLongestBatchLine = 127;

// text with every "%" doubled: a batch file reads "%%" as one "%", while a lone one would
// start the expansion of a variable, even inside double quotes.
std::string BatchPercents(const std::string& text);

// name as the join file writes it: percents doubled, and in double quotes when it holds a
// blank, a tab or one of ",;=+", which cmd would otherwise take as separators, or "&" or
// "^", which it would take as a command separator or an escape.
std::string BatchName(const std::string& name);

// What the join file does about the long name after the COPY lines: the REN line that
// gives it back, nothing ("Use DOS 8.3"), or, where no REN line can carry it, one ECHO line
// saying that the rebuilt file keeps its 8.3 name. CopyToLongName: the long name differs
// from the 8.3 name only in case, so the last COPY writes straight onto the long name in
// quotes and nothing follows; cmd refuses a REN onto the same name in other case.
enum class LongNameStep { Rename, None, KeepShortName, CopyToLongName };

// The ECHO line that stands for a REN line that cannot be written.
extern const char kEchoKeepsShortName[];

// KeepShortName when the OEM code page cannot hold longName or its REN line would be cut,
// CopyToLongName when it differs from shortName only in case, else Rename (None with
// "Use DOS 8.3"). Names are the System's.
LongNameStep LongNameStepFor(const std::string& shortName, const std::string& longName,
                             bool useDos83);

// Whether every COPY line can hold at least one piece within kLongestBatchLine, for names
// already in the OEM code page; pieceCount 0 (spanning) stands for any count.
bool JoinLinesFit(const std::string& pieceBaseName, const std::string& shortName,
                  std::uint32_t pieceCount);

// The 8.3 name that a run's pieces and join file use: the file system's alternate name;
// without one the source's own name, when the join file can carry it in the OEM code page
// within its lines and it does not begin with ";"; else OwnShortName.
std::string JoinShortName(const std::string& alternateName, const std::string& ownName,
                          std::uint32_t pieceCount);

// The join file's content as the separate writes it is made of: header, the COPY lines
// with the deletion of their intermediate files, the long name's step and the footer.
// Up to 70 pieces a COPY line and one DEL BASE.??_ at the end where every line of that fits
// in kLongestBatchLine; otherwise as many as fit, each intermediate file deleted by its
// name as soon as the next line has read it. Names are the bytes to write, i.e. already in
// the OEM code page.
std::vector<std::string> JoinBatchWrites(const std::string& pieceBaseName,
                                         const std::string& shortName,
                                         const std::string& longName, std::uint32_t pieceCount,
                                         LongNameStep longNameStep);

// The writes for the System's names: every name in the OEM code page, which the command
// interpreter reads batch files in, so that COPY, DEL and REN find the files on disk.
std::vector<std::string> JoinBatchFor(const std::string& pieceBaseName,
                                      const std::string& shortName, const std::string& longName,
                                      std::uint32_t pieceCount, bool useDos83);

// Join.bat or Join-<longName>.bat, by the current settings.
std::string JoinFileName(const std::string& longName);

// Join.bat or Join-<longName>.bat inside folder, by the current settings.
std::string JoinFilePath(const std::string& folder, const std::string& longName);

// Room the last disk must have for the join file, counted for full-length 8.3 names.
std::uint32_t JoinRoomEstimate(std::uint32_t pieceCount, std::uint32_t longNameLength,
                               bool useDos83);

// What the check before the join file asks of the last disk: the size of the file that will
// be written, and never less than the estimate above.
std::uint32_t JoinRoomNeeded(const std::string& pieceBaseName, const std::string& shortName,
                            const std::string& longName, std::uint32_t pieceCount,
                            bool useDos83);

// Writes the join file (splitJob.joinFileName, or else the name by the settings) into the
// destination and, while backups are on, into the backup folder. 1 when the main join file was written completely and closed, else 0.
int WriteJoinBatch(const std::string& pieceBaseName, const std::string& shortName,
                   const std::string& longName);

}  // namespace parcelo
