// The front end's texts, exactly as users see them.
#pragma once

#include "resources/resource_ids.h"

namespace parcelo {

constexpr char kHelpFile[] = "Parcelo95.hlp";

constexpr char kTextSizePrefix[] = "Size: ";
constexpr char kTextPiecesPrefix[] = "Num Pieces: ";
constexpr char kTextSpanned[] = "Spanned";
constexpr char kTextSizeTooBigLabel[] = "Split size too big";

constexpr char kCaptionBackupPieces[] = "Backup Pieces";
constexpr char kTextBackupQuestion[] =
    "Do you want to backup the pieces?\nThis is usefull in case one of the disks get "
    "damaged.";

constexpr char kTextChooseSource[] = "Choose Source File";
constexpr char kTextChooseDestination[] = "Choose destination folder";
constexpr char kTextOutOfMemoryShort[] = "Out of memory.";

constexpr char kHomepageAddress[] = PARCELO95_HOMEPAGE;
constexpr char kSupportAddress[] = PARCELO95_SUPPORT_EMAIL;
constexpr char kSupportMailto[] = PARCELO95_SUPPORT_MAILTO;

}  // namespace parcelo
