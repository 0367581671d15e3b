#include "frontend/startup.h"

#include "engine/app_settings.h"
#include "engine/settings_store.h"
#include "engine/split_job.h"
#include "frontend/main_dialog_state.h"
#include "platform/system.h"
#include "resources/control_ids.h"

namespace parcelo {

std::string SourceFromCommandLine(const std::string& commandLine) {
  if (commandLine.empty() || commandLine[0] == '/') return {};
  std::string path = commandLine;
  // The shell quotes a path with blanks.
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"' &&
      path.find('"', 1) == path.size() - 1) {
    path = path.substr(1, path.size() - 2);
  }
  // Too long to be a path: cutting it would name another file.
  if (path.size() > kMaxPath) return {};
  return path;
}

void StartParcelo(const std::string& commandLine) {
  ResetSplitJob();
  ResetMainDialogState();
  splitJob.sourcePath = SourceFromCommandLine(commandLine);
  LoadSettings();
  mainDialogWindow = Windows().CreateModelessDialog(kDialogMain);
  if (appSettings.alwaysOnTop) Windows().SetTopmost(mainDialogWindow, true);
}

}  // namespace parcelo
