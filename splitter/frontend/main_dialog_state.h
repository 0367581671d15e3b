// What every new main dialog shows again: the typed size and the three choices.
#pragma once

#include <string>

#include "engine/split_size.h"
#include "platform/system.h"

namespace parcelo {

enum SplitMode { kModeSpan = 0, kModeSpecified = 1, kModePreset = 2 };
constexpr int kPreset144 = 2;  // "1.44 MB"

struct MainDialogState {
  std::string splitSizeText;  // at most 19 characters
  int splitMode = kModeSpecified;
  int sizeUnit = kUnitKB;
  int presetIndex = kPreset144;

  // Marks for what does not fit the request's 32-bit sizes, so it is refused, not wrapped.
  bool pieceSizeTooBig = false;
  bool sourceTooLarge = false;
};

extern MainDialogState mainDialogState;

// The main dialog of the moment; replaced each time the progress dialog closes.
extern WindowHandle mainDialogWindow;

void ResetMainDialogState();

}  // namespace parcelo
