// The split engine's texts, exactly as users see them.
#pragma once

namespace parcelo {

constexpr char kProductTitle[] = "Tavrin Parcelo 95";
constexpr char kCaptionError[] = "Error";
constexpr char kCaptionInfo[] = "Info";

constexpr char kTextSplittingInto[] = "Splitting \"%s\" into %d pieces...";
constexpr char kTextSpanning[] = "Spanning \"%s\" to disks...";
// A pipe: its pieces are counted only at its end.
constexpr char kTextSplittingStream[] = "Splitting \"%s\" from standard input...";
constexpr char kTextWritingPiece[] = "Writing piece %d...";
constexpr char kTextStreamEmpty[] = "Standard input ended before its first byte: nothing to split.";
constexpr char kTextInitializing[] = "Initializing...";
constexpr char kTextNeed2KB[] =
    "You need at least 2KB of free disk space. Free space on disk or insert another.";
constexpr char kTextOutOfMemory[] = "Out of memory, unable to split file.";
constexpr char kTextSplitSizeZero[] = "Split size must be greater than 0.";

constexpr char kTextOpenSourceFailed[] =
    "Unable to open source file. File may be in use by another program.\n\nThis commonly "
    "happens when splitting .exe's and .dll's. If that's the case, try making a copy of the "
    "source file or restarting your computer.";
constexpr char kTextWaitingForDisk[] = "Waiting for disk %d...";
constexpr char kTextWritingPieceOf[] = "Writing piece %d of %d...";
constexpr char kTextInsertDisk[] = "Insert disk for piece %d";
constexpr char kTextWritingPieceToDisk[] = "Writing piece %d to disk...";
constexpr char kTextNotEnoughFree[] = "Not enough free space on disk. At least 2K is needed.";
constexpr char kTextBytesFree[] = "BytesFree: %d";
constexpr char kTextCreateFailedSpanned[] =
    "Error creating destination file.\nDisk may be full or write-protected.";
constexpr char kTextCreateFailedSized[] = "Error creating destination file.\nDrive may be full.";
constexpr char kTextBackupCreateFailed[] =
    "Error creating backup of destination file. Backups have been disabled.";
constexpr char kTextReadNoResources[] = "Not enough resources available to read from source file.";
constexpr char kTextReadFailed[] =
    "Error reading from source file. File may be in use by another program.";
constexpr char kTextReadPastEof[] = "Read past EOF. Source file is currupted.";
constexpr char kTextWriteNoResources[] =
    "Not enough resources available to write to destination file.";
constexpr char kTextWriteFailedSpanned[] =
    "Error writing to destination file. Disk may be full or write-protected.";
constexpr char kTextWriteFailedSized[] = "Error writing to destination file. Drive may be full.";
constexpr char kTextBackupWriteNoResources[] =
    "Not enough resources available to write to destination backup file.";
constexpr char kTextBackupWriteFailed[] =
    "Error writing to destination backup file. Backups have been disabled.";
constexpr char kTextNoRoomForJoin[] =
    "Not enough room for join file on disk.\nInsert another disk for join file.";
constexpr char kTextWritingJoin[] = "Writing recombination batch file...";
constexpr char kTextJoinFailed[] = "Unable to write join file, drive may be full.";
constexpr char kTextFinished[] = "Finished.";
constexpr char kTextDeleteSource[] =
    "Finished splitting. Do you want to delete source file now?";
constexpr char kTextReminderSpanned[] =
    "Done.\n\nTo recombine the splitted files, copy each piece from each disk\nalong with the "
    "recombination batch file (named 'join.bat' or 'join-source filename.bat') to a "
    "directory\non your hard disk, then run (double-click) the join file.";
constexpr char kTextReminderSized[] =
    "Done.\n\nTo recombine the splitted files, make sure each piece is in the\nsame directory "
    "along with the recombination batch file (named 'join.bat' or 'join-source "
    "filename.bat'),\nthen run (double-click) the join file.";

// The source as the run ends is not the source its pieces were cut from.
constexpr char kTextSourceChanged[] =
    "The source file changed while it was being split: the pieces do not hold it as it is "
    "now, and no join file was written. Split it again.";
constexpr char kTextSourceChangedNotDeleted[] =
    "The source file changed after it was split: the pieces do not hold it as it is now, so "
    "it has not been deleted.";

constexpr char kTextLongNameStaysShort[] =
    "The join file cannot give the rebuilt file its long name \"%s\": DOS would not read it "
    "back intact. The file will be rebuilt as %s.";

// What a run finds in its folders before it writes there.
constexpr char kTextJoinNameTooLong[] =
    "The join file cannot be named \"%s\": that name is too long for a file there. It is "
    "named \"%s\" instead.";
constexpr char kTextNameTooLongForJoinAndDos[] =
    "The name \"%s\" is too long for the join file's name and for DOS. The join file is "
    "named \"%s\" and rebuilds the file as %s.";
constexpr char kReasonNameTooLong[] = "\"%s\" is too long for a file name there.";
constexpr char kTextPieceOfOtherJoinFile[] =
    "\"%s\" in %s belongs to \"%s\", the join file of another file, and would be written "
    "over. Choose another destination folder, or move those files away first.";
constexpr char kTextJoinFileOfOther[] =
    "\"%s\" in %s is the join file of another file, and would be written over. Choose "
    "another destination folder, or move it away first.";
constexpr char kReasonIsSourceItself[] = "%s is the source file itself";
constexpr char kReasonIsNoFile[] = "\"%s\" is %s, not a file.";
constexpr char kTextRebuiltOntoOwnFile[] =
    "\"%s\" cannot be rebuilt under the name %s: a file of this split has that name, and "
    "rebuilding would write over it. Rename the source file, then split again.";
constexpr char kTextSplitRunning[] =
    "Another split is writing \"%s\" in %s right now. Wait until it has finished, then "
    "split again.";
constexpr char kTextStaleJoinStays[] =
    "The join file \"%s\" names pieces that this split writes over, and it could not be "
    "removed. Remove it, then split again.";
constexpr char kTextStaleBackupJoinStays[] =
    "The join file \"%s\" names backup pieces that this split writes over, and it could not "
    "be removed. Backups have been disabled.";

constexpr char kTextJoinBackupCreateFailed[] =
    "Error creating backup of join file. Backups have been disabled.";
constexpr char kTextJoinBackupWriteFailed[] =
    "Error writing to backup of join file. Backups have been disabled.";

// The backup folder's checks.
constexpr char kTextDriveMissing[] = "Drive does not exist.";
constexpr char kTextFolderMissing[] = "Directory not found.";
constexpr char kTextNotFolder[] = "Not a directory, directory must exist.";

// What a request's checks and the options say.
constexpr char kCaptionWarning[] = "Warning";
constexpr char kTextBadSizeCharacter[] =
    "Invalid character(s) found in split size.\nCharacters other than digits or decimal "
    "points (.) are invalid.";
constexpr char kTextSizeInnerSpace[] = "Spaces aren't allowed before or between digits.";
constexpr char kTextSplitSizeTooBig[] = "Split size is too big. It must be less than 4 GB.";
constexpr char kTextSourceTooLarge[] =
    "Source file is too large. Files of 4 GB or more cannot be split.";
constexpr char kTextOnePiece[] = "Splitting a file into only 1 piece is pointless.";
constexpr char kTextTooManyPieces[] =
    "Split size is too small. Cannot split to more than 1,000 pieces.";
constexpr char kTextSpanToFolder[] = "Source file cannot be spanned to a directory.";
constexpr char kTextSpanNotRemovable[] = "Destination drive must be removable to span to it.";
constexpr char kTextRemovableWarning[] =
    "You are splitting to a removable drive. It is recommended that you use disk spanning "
    "for splitting to removable drives (see Tavrin Parcelo 95 Help for more information on "
    "disk spnning). You may get an error if the removable drive doesn't have enough free "
    "space for all the pieces.\n\nContinue anyway?";
constexpr char kTextSourceNotFound[] = "Source file not found.";
constexpr char kTextSourceNameIsDevice[] =
    "The source file's name \"%s\" is the name of a DOS device (CON, PRN, AUX, NUL, COM1 to "
    "COM9 or LPT1 to LPT9, with or without an extension), which DOS and Windows do not allow "
    "as a file name. Rename it before splitting.";
constexpr char kTextDestinationFolderNotFound[] = "Destination folder not found.";
constexpr char kTextDestinationDriveNotFound[] = "Destination drive not found.";
constexpr char kTextDestinationNotFolder[] =
    "Destination isn't a folder. Please enter a folder path.";
constexpr char kTextSizeOverSource[] = "Split size is greater than source file size.";
constexpr char kTextManyPieces[] =
    "Warning: %d is quite a large amount of pieces. This may take a very long while.\nAre "
    "you sure you want to procede?";
constexpr char kTextJoinNameConflict[] =
    "The \"Use DOS 8.3 format\" and \"Use source filename with join filename\" options "
    "conflict.\nDOS 8.3 filenames will be used.";

}  // namespace parcelo
