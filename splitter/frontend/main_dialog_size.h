// The main dialog's split size: its fields read into the request, and the Size and Num
// Pieces labels.
#pragma once

#include <string>

namespace parcelo {

// Reads the current main dialog into the request: mode, size text, spanToDisk, pieceSize.
// 0 after an error message about the size text.
int ParseSplitSize();

// The text after "Size: " for a file, or 0 with nothing written when it is not found.
// Sets sourceSize.
int FormatFileSize(const std::string& path, std::string* text);

// The text after "Num Pieces: ", or nothing; may set pieceCount. Always 1.
int FormatPieceCount(std::string* text);

}  // namespace parcelo
