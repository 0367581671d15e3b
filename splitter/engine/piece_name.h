// Names of pieces, of the intermediate files of a long join, and paths inside a folder.
#pragma once

#include <string>

namespace parcelo {

// Appends ".000", ".007", ".042", ".999", ".1000", ... for the 0-based piece n.
std::string& AppendPieceNumber(int n, std::string& name);

// The partial file that COPY line k of the join file produces: BASE.00_, BASE.01_, ...
std::string IntermediateName(const std::string& pieceBaseName, int line);

// An 8.3 name made of name in plain ASCII (MY_REP~1.DOC for "€ My Report.doc"), for a source
// that the file system gives no 8.3 name and whose own name the join file cannot carry.
std::string OwnShortName(const std::string& name);

// The part of a path after its last backslash (after "X:" when there is none).
std::string LastComponent(const std::string& path);

// True for the names DOS and Windows give their devices, with or without an extension and
// in any case: CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9 ("nul.bin", "Com1.dat").
bool IsDosDeviceName(const std::string& name);

// The 8.3 name with the next number in its "~N" tail (HOLIDA~1.AVI gives HOLIDA~2.AVI,
// ABCDEF~9 gives ABCDE~10); empty when it has no such tail or no longer one fits.
std::string NextShortNameTail(const std::string& shortName);

// folder + "\" (unless it already ends in one) + name.
std::string PathInFolder(const std::string& folder, const std::string& name);

// The piece n of the run inside folder.
std::string PiecePath(const std::string& folder, const std::string& pieceBaseName, int n);

}  // namespace parcelo
