#include "frontend/main_dialog.h"

#include "engine/app_settings.h"
#include "engine/request_checks.h"
#include "engine/split_job.h"
#include "engine/split_messages.h"
#include "engine/split_size.h"
#include "frontend/frontend_messages.h"
#include "frontend/main_dialog_size.h"
#include "frontend/main_dialog_state.h"
#include "resources/control_ids.h"

namespace parcelo {

const std::uint32_t kHelpContextTable[20] = {108, 10, 119, 11, 122, 13, 123, 14, 124, 15,
                                             125, 16, 121, 17, 111, 18, 129, 19, 0,   0};

namespace {

struct Tool {
  int id;
  const char* text;
};

constexpr Tool kMainTools[] = {
    {kIdSplitButton, "Start Splitting"},
    {kIdCloseButton, "Close Tavrin Parcelo 95"},
    {kIdOptionsButton, "Show Options Dialog"},
    {kIdHelpButton, "Open Tavrin Parcelo 95 Help"},
    {kIdAboutButton, "Show About Dialog"},
    {kIdSourceEdit, "Source File Path"},
    {kIdSourceBrowse, "Browse For Source File"},
    {kIdDestinationEdit, "Destination Folder Path"},
    {kIdDestinationBrowse, "Browse For Destination Folder"},
    {kIdSpanRadio, "Span Source File To Disks"},
    {kIdSpecifiedRadio, "Use A Specified Split Size"},
    {kIdSizeEdit, "Specify Split Size"},
    {kIdUnitList, "Specify Split Size Type"},
    {kIdPresetRadio, "Use A Preset Split Size"},
    {kIdPresetList, "Specify Preset Size"},
};

// Filling the edits at initialisation makes them report changes before the radio buttons
// are set; read then, the mode would be lost.
bool initializing = false;

constexpr const char* kUnitNames[] = {"bytes", "KB", "MB"};
constexpr const char* kPresetNames[] = {"720 KB", "1.2 MB", "1.44 MB", "2.88 MB"};

void EnableItems(WindowHandle dialog, std::initializer_list<int> ids, bool enabled) {
  for (int id : ids) Windows().EnableItem(dialog, id, enabled);
}

// The folder of the source becomes the destination while none is given.
void OfferDefaultDestination(WindowHandle dialog, const std::string& source) {
  if (Windows().GetItemText(dialog, kIdDestinationEdit).empty() && source.size() > 1 &&
      source[1] == ':' && !Windows().IsItemChecked(dialog, kIdSpanRadio)) {
    DefaultDestination(source);
  }
}

void BrowseForSource(WindowHandle dialog) {
  std::string path;
  if (!Windows().BrowseForFile(dialog, kTextChooseSource, &path)) return;
  Windows().SetItemText(dialog, kIdSourceEdit, path);
  Windows().SetCaretToEnd(dialog, kIdSourceEdit);
  RefreshLabels(path);
  if (Windows().GetItemText(dialog, kIdDestinationEdit).empty() &&
      !Windows().IsItemChecked(dialog, kIdSpanRadio)) {
    DefaultDestination(path);
  }
}

void BrowseForDestination(WindowHandle dialog) {
  std::string path;
  switch (Windows().BrowseForFolder(dialog, kTextChooseDestination, &path)) {
    case FolderChoice::Chosen:
      Windows().SetItemText(dialog, kIdDestinationEdit, path);
      break;
    case FolderChoice::OutOfMemory:
      Windows().ShowMessageBox(dialog, kTextOutOfMemoryShort, kCaptionError, kMbIconError);
      break;
    case FolderChoice::Cancelled:
    case FolderChoice::NoAllocator:
      break;
  }
}

}  // namespace

void RefreshLabels(const std::string& path) {
  std::string size = kTextSizePrefix;
  FormatFileSize(path, &size);
  Windows().SetItemText(mainDialogWindow, kIdSizeLabel, size);
  RefreshCount();
}

void RefreshCount() {
  std::string count = kTextPiecesPrefix;
  FormatPieceCount(&count);
  Windows().SetItemText(mainDialogWindow, kIdPiecesLabel, count);
}

bool CanSplit(WindowHandle dialog) {
  if (Windows().GetItemText(dialog, kIdSourceEdit).empty()) return false;
  if (Windows().IsItemChecked(dialog, kIdSpecifiedRadio) &&
      Windows().GetItemText(dialog, kIdSizeEdit).empty()) {
    return false;
  }
  if (Windows().IsItemChecked(dialog, kIdSpanRadio) &&
      Windows().GetItemText(dialog, kIdDestinationEdit).empty()) {
    return false;
  }
  return true;
}

void UpdateSplitButton(WindowHandle dialog) {
  Windows().EnableItem(dialog, kIdSplitButton, CanSplit(dialog));
}

std::string DefaultDestination(const std::string& path) {
  const std::string folder = FolderOfPath(path);
  if (folder.empty()) return {};
  Windows().SetItemText(mainDialogWindow, kIdDestinationEdit, folder);
  return folder;
}

void MainDialogInit(WindowHandle dialog) {
  // The handlers below read the current main dialog, which is this one from now on.
  mainDialogWindow = dialog;
  initializing = true;
  const MainDialogState& state = mainDialogState;
  Windows().AcceptDroppedFiles(dialog);
  Windows().SetSmallIcon(dialog);
  Windows().SetItemText(dialog, kIdSourceEdit, splitJob.sourcePath);
  Windows().SetItemText(dialog, kIdDestinationEdit, splitJob.destinationPath);
  Windows().SetItemText(dialog, kIdSizeEdit, state.splitSizeText);
  switch (state.splitMode) {
    case kModeSpan:
      Windows().SetItemChecked(dialog, kIdSpanRadio, true);
      EnableItems(dialog, {kIdSizeEdit, kIdUnitList, kIdPresetList}, false);
      break;
    case kModePreset:
      Windows().SetItemChecked(dialog, kIdPresetRadio, true);
      EnableItems(dialog, {kIdSizeEdit, kIdUnitList}, false);
      break;
    default:
      Windows().SetItemChecked(dialog, kIdSpecifiedRadio, true);
      EnableItems(dialog, {kIdPresetList}, false);
      break;
  }
  for (int i = 0; i < 3; ++i) Windows().ListInsert(dialog, kIdUnitList, i, kUnitNames[i]);
  Windows().ListSelect(dialog, kIdUnitList, state.sizeUnit);
  for (int i = 0; i < 4; ++i) Windows().ListInsert(dialog, kIdPresetList, i, kPresetNames[i]);
  Windows().ListSelect(dialog, kIdPresetList, state.presetIndex);
  initializing = false;
  RefreshLabels(splitJob.sourcePath);
  UpdateSplitButton(dialog);
  const WindowHandle tips = Windows().CreateToolTips(dialog);
  for (const Tool& tool : kMainTools) Windows().AddToolTip(tips, dialog, tool.id, tool.text);
}

void MainDialogCommand(WindowHandle dialog, int id, int notification) {
  // A main dialog that is being destroyed no longer holds the request.
  if (dialog != mainDialogWindow || initializing) return;
  switch (id) {
    case kIdSourceEdit:
      if (notification == kEnKillFocus) {
        splitJob.sourcePath = Windows().GetItemText(dialog, kIdSourceEdit);
        RefreshLabels(splitJob.sourcePath);
        OfferDefaultDestination(dialog, splitJob.sourcePath);
      }
      UpdateSplitButton(dialog);
      break;
    case kIdDestinationEdit:
      UpdateSplitButton(dialog);
      break;
    case kIdSourceBrowse:
      BrowseForSource(dialog);
      UpdateSplitButton(dialog);
      break;
    case kIdSizeEdit:
      if (notification == kEnChange && splitJob.sourceSize != 0) RefreshCount();
      UpdateSplitButton(dialog);
      break;
    case kIdDestinationBrowse:
      BrowseForDestination(dialog);
      break;
    case kIdSpecifiedRadio:
      if (Windows().IsItemChecked(dialog, kIdSpecifiedRadio)) {
        Windows().EnableItem(dialog, kIdPresetList, false);
        EnableItems(dialog, {kIdSizeEdit, kIdUnitList}, true);
      }
      RefreshCount();
      UpdateSplitButton(dialog);
      break;
    case kIdUnitList:
    case kIdPresetList:
      RefreshCount();
      break;
    case kIdSpanRadio:
      if (Windows().IsItemChecked(dialog, kIdSpanRadio)) {
        EnableItems(dialog, {kIdSizeEdit, kIdUnitList, kIdPresetList}, false);
      }
      UpdateSplitButton(dialog);
      splitJob.destinationPath = Windows().GetItemText(dialog, kIdDestinationEdit);
      if (splitJob.destinationPath.size() > 3) {
        splitJob.destinationPath.clear();
        Windows().SetItemText(dialog, kIdDestinationEdit, "");
        UpdateSplitButton(dialog);  // not every platform notifies a change made here
      }
      RefreshCount();
      break;
    case kIdPresetRadio:
      if (Windows().IsItemChecked(dialog, kIdPresetRadio)) {
        EnableItems(dialog, {kIdSizeEdit, kIdUnitList}, false);
        Windows().EnableItem(dialog, kIdPresetList, true);
      }
      RefreshCount();
      UpdateSplitButton(dialog);
      break;
    case kIdSplitButton:
      ValidateAndStartSplit(dialog);
      break;
    case kIdCloseButton:
      Windows().CloseWindow(dialog);
      break;
    case kIdOptionsButton:
      Windows().RunModalDialog(kDialogOptions, mainDialogWindow);
      break;
    case kIdHelpButton:
      Windows().ShowHelpContents(dialog, kHelpFile);
      break;
    case kIdAboutButton:
      Windows().RunModalDialog(kDialogAbout, mainDialogWindow);
      break;
    default:
      break;
  }
}

void MainDialogDropFile(WindowHandle dialog, const std::string& path) {
  Windows().SetItemText(dialog, kIdSourceEdit, path);
  RefreshLabels(path);
  splitJob.sourcePath = Windows().GetItemText(dialog, kIdSourceEdit);
  splitJob.destinationPath = Windows().GetItemText(dialog, kIdDestinationEdit);
  OfferDefaultDestination(dialog, splitJob.sourcePath);
  UpdateSplitButton(dialog);
  if (!appSettings.alwaysOnTop) {
    Windows().SetTopmost(dialog, true);
    Windows().SetTopmost(dialog, false);
  }
}

void MainDialogContextHelp(WindowHandle item) {
  Windows().ShowContextHelp(item, kHelpFile, kHelpContextTable);
}

void MainDialogClose(WindowHandle dialog) {
  if (mainDialogWindow == dialog) mainDialogWindow = nullptr;
  Windows().DestroyDialog(dialog);
  Windows().PostQuit();
}

}  // namespace parcelo
