// The front end's texts, exactly as users see them.
#pragma once

#include "resources/resource_ids.h"

namespace parcelo {

constexpr char kCaptionWarning[] = "Warning";
constexpr char kHelpFile[] = "Parcelo95.hlp";

constexpr char kTextBadSizeCharacter[] =
    "Invalid character(s) found in split size.\nCharacters other than digits or decimal "
    "points (.) are invalid.";
constexpr char kTextSizeInnerSpace[] = "Spaces aren't allowed before or between digits.";
constexpr char kTextSplitSizeTooBig[] = "Split size is too big. It must be less than 4 GB.";
constexpr char kTextSourceTooLarge[] =
    "Source file is too large. Files of 4 GB or more cannot be split.";

constexpr char kTextSizePrefix[] = "Size: ";
constexpr char kTextPiecesPrefix[] = "Num Pieces: ";
constexpr char kTextSpanned[] = "Spanned";
constexpr char kTextSizeTooBigLabel[] = "Split size too big";

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
constexpr char kCaptionBackupPieces[] = "Backup Pieces";
constexpr char kTextBackupQuestion[] =
    "Do you want to backup the pieces?\nThis is usefull in case one of the disks get "
    "damaged.";

constexpr char kTextChooseSource[] = "Choose Source File";
constexpr char kTextChooseDestination[] = "Choose destination folder";
constexpr char kTextOutOfMemoryShort[] = "Out of memory.";

constexpr char kTextJoinNameConflict[] =
    "The \"Use DOS 8.3 format\" and \"Use source filename with join filename\" options "
    "conflict.\nDOS 8.3 filenames will be used.";

constexpr char kHomepageAddress[] = PARCELO95_HOMEPAGE;
constexpr char kSupportAddress[] = PARCELO95_SUPPORT_EMAIL;
constexpr char kSupportMailto[] = PARCELO95_SUPPORT_MAILTO;

}  // namespace parcelo
