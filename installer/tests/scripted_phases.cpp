#include "scripted_phases.h"

#include "package/install_package.h"
#include "phases/install_phases.h"
#include "phases/install_run.h"

namespace qinstall {

PhaseScript& Script() {
  static PhaseScript script;
  return script;
}

void ResetPhaseScript() { Script() = PhaseScript{}; }

namespace {
void Enter(const std::string& phase, const std::string& detail = "") {
  Script().log.push_back(detail.empty() ? phase : phase + " " + detail);
  if (Script().actIn == phase && Script().act) Script().act();
}

int Stop() {
  CloseProgressDialog();
  return 0;
}
}  // namespace

int CreateInstallFolders() {
  Enter("CreateInstallFolders");
  return Script().foldersFail ? Stop() : 1;
}

int CopyPackageFiles() {
  Enter("CopyPackageFiles");
  InstallPackage& package = Package();
  for (std::size_t i = 0; i < package.files.size(); ++i) {
    if (CancelConfirmed()) {
      Script().log.push_back("cancel at file " + std::to_string(i));
      package.files.resize(i);
      RemoveCopiedFiles();
      RemoveCreatedFolders();
      return Stop();
    }
    if (static_cast<int>(i) == Script().copyFailsAt) return Stop();
    StepProgress();
  }
  return 1;
}

int CreateShortcuts() {
  Enter("CreateShortcuts");
  for (std::size_t i = 0; i < Package().shortcuts.size(); ++i) {
    if (CancelConfirmed()) {
      Script().log.push_back("cancel at shortcut " + std::to_string(i));
      RemoveCopiedFiles();
      RemoveShortcuts();
      RemoveCreatedFolders();
      return Stop();
    }
    StepProgress();
  }
  return 1;
}

int CreateShellLink(const char*, const char*, const char*, const char*, const char*, int,
                    const char*) {
  return 0;
}

int WriteUninstallRegistry() {
  Enter("WriteUninstallRegistry");
  return Script().registryFails ? 0 : 1;
}

int WriteUninstallRecord(const std::string& path) {
  Enter("WriteUninstallRecord", path);
  return Script().recordFails ? 0 : 1;
}

int RemoveCopiedFiles() {
  Script().log.push_back("RemoveCopiedFiles");
  return 1;
}
int RemoveShortcuts() {
  Script().log.push_back("RemoveShortcuts");
  return 1;
}
int RemoveCreatedFolders() {
  Script().log.push_back("RemoveCreatedFolders");
  return 1;
}
int RemoveUninstallRegistry() {
  Script().log.push_back("RemoveUninstallRegistry");
  return 1;
}

}  // namespace qinstall
