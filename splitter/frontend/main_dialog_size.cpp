#include "frontend/main_dialog_size.h"

#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_size.h"
#include "engine/text_format.h"
#include "frontend/frontend_messages.h"
#include "frontend/main_dialog_state.h"
#include "platform/system.h"
#include "resources/control_ids.h"

namespace parcelo {
namespace {

void SetPieceSize(std::uint64_t bytes) {
  mainDialogState.pieceSizeTooBig = bytes >= kFourGigabytes;
  splitJob.pieceSize = mainDialogState.pieceSizeTooBig ? 0xFFFFFFFFu
                                                       : static_cast<std::uint32_t>(bytes);
}

}  // namespace

int ParseSplitSize() {
  const WindowHandle dialog = mainDialogWindow;
  MainDialogState& state = mainDialogState;
  state.splitSizeText = Windows().GetItemText(dialog, kIdSizeEdit);
  if (Windows().IsItemChecked(dialog, kIdSpanRadio)) {
    state.splitMode = kModeSpan;
  } else if (Windows().IsItemChecked(dialog, kIdSpecifiedRadio)) {
    state.splitMode = kModeSpecified;
  } else if (Windows().IsItemChecked(dialog, kIdPresetRadio)) {
    state.splitMode = kModePreset;
  } else {
    state.splitMode = kModeSpecified;
  }

  if (state.splitMode == kModeSpan) {
    splitJob.pieceSize = 0;
    state.pieceSizeTooBig = false;
    splitJob.spanToDisk = 1;
    return 1;
  }
  if (state.splitMode == kModeSpecified) {
    if (const char* problem = SplitSizeTextProblem(state.splitSizeText)) {
      Windows().ShowMessageBox(dialog, problem, kCaptionError, kMbIconError);
      return 0;
    }
    splitJob.spanToDisk = 0;
    const int unit = Windows().ListSelection(dialog, kIdUnitList);
    if (unit >= kUnitBytes && unit <= kUnitMB) SetPieceSize(SplitSizeBytes(state.splitSizeText, unit));
    return 1;
  }
  splitJob.spanToDisk = 0;
  const int preset = Windows().ListSelection(dialog, kIdPresetList);
  if (preset >= 0 && preset < 4) SetPieceSize(kPresetSizes[preset]);
  return 1;
}

int FormatFileSize(const std::string& path, std::string* text) {
  FoundFile found;
  if (!Files().FindFile(path, &found)) {
    splitJob.sourceSize = 0;
    mainDialogState.sourceTooLarge = false;
    return 0;
  }
  // The label shows the true size; the request keeps 32 bits and a mark for more.
  mainDialogState.sourceTooLarge = found.size >= kFourGigabytes;
  splitJob.sourceSize = mainDialogState.sourceTooLarge ? 0xFFFFFFFFu
                                                       : static_cast<std::uint32_t>(found.size);
  const std::string bytes = std::to_string(found.size);
  const double size = static_cast<double>(found.size);
  if (found.size >= 1048576) {
    *text += Format("%.2f MB (%s bytes)", size / 1048576.0, bytes.c_str());
  } else if (found.size >= 1024) {
    *text += Format("%.2f KB (%s bytes)", size / 1024.0, bytes.c_str());
  } else {
    *text += bytes + " bytes";
  }
  return 1;
}

int FormatPieceCount(std::string* text) {
  ParseSplitSize();
  SplitJob& job = splitJob;
  if (job.spanToDisk) {
    *text += kTextSpanned;
    return 1;
  }
  // A source of 4 GB or more cannot be split, so it has no count.
  if (job.sourceSize == 0 || job.pieceSize == 0 || mainDialogState.sourceTooLarge) return 1;
  if (job.sourceSize < job.pieceSize) {
    *text += kTextSizeTooBigLabel;
    return 1;
  }
  job.pieceCount = static_cast<std::uint32_t>(CountPieces(job.sourceSize, job.pieceSize));
  *text += std::to_string(job.pieceCount);
  return 1;
}

}  // namespace parcelo
