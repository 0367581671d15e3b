#include "uninstaller/uninstall_run.h"

#include "resources/uninstaller_ids.h"
#include "uninstaller/record_checks.h"
#include "uninstaller/uninstall_texts.h"

namespace qinstall {
namespace {

// A message box of a long list would run off the screen.
constexpr std::size_t kMostListed = 15;

void ShowError(const std::string& text) {
  Windows().ShowMessageBox(nullptr, text, "Error", kMbOk | kMbIconError);
}

const char* HiveName(RegistryHive hive) {
  return hive == RegistryHive::CurrentUser ? "HKEY_CURRENT_USER\\" : "HKEY_LOCAL_MACHINE\\";
}

bool IsMissing(std::uint32_t error) {
  return error == kErrorFileNotFound || error == kErrorPathNotFound;
}

bool RemoveOneFile(const std::string& path, std::string* why) {
  std::uint32_t error = 0;
  if (Files().RemoveFile(path, &error) || IsMissing(error)) return true;
  if (Files().IsFolder(path)) {
    *why = "it is a folder, not a file";
  } else if (Files().IsReadOnly(path)) {
    *why = "it is read-only";
  } else if (error == kErrorSharingViolation || error == kErrorAccessDenied) {
    *why = "it is in use";
  } else {
    *why = "system error " + std::to_string(error);
  }
  return false;
}

bool RemoveKeyTree(RegistryHive hive, const std::string& key, std::string* why) {
  const std::uint32_t error = Registry().DeleteKeyTree(hive, key);
  if (error == 0 || error == kErrorFileNotFound) return true;
  *why = error == kErrorAccessDenied ? "access is denied" : "system error " + std::to_string(error);
  return false;
}

std::string LeftBehindList(const std::vector<std::string>& items) {
  std::string list;
  for (std::size_t i = 0; i < items.size() && i < kMostListed; ++i) {
    if (i > 0) list += '\n';
    list += items[i];
  }
  if (items.size() > kMostListed) {
    list += "\n... and " + std::to_string(items.size() - kMostListed) + " more.";
  }
  return list;
}

}  // namespace

UninstallRun& Uninstall() {
  static UninstallRun run;
  return run;
}

void ResetUninstallRun() { Uninstall() = UninstallRun{}; }

std::string FormatText(const char* text, const std::string& first, const std::string& second,
                       const std::string& third) {
  const std::string* values[] = {&first, &second, &third};
  std::string out;
  std::size_t next = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (c[0] == '%' && c[1] == 's' && next < 3) {
      out += *values[next++];
      ++c;
    } else {
      out += *c;
    }
  }
  return out;
}

std::string StepItem(const RemovalStep& step) {
  if (step.kind == RemovalKind::RegistryTree || step.kind == RemovalKind::UninstallKey) {
    return HiveName(step.hive) + step.path;
  }
  return step.path;
}

bool CarryOutStep(const RemovalStep& step, bool earlierFailed, std::string* why) {
  switch (step.kind) {
    case RemovalKind::File:
      return RemoveOneFile(step.path, why);
    case RemovalKind::RegistryTree:
      return RemoveKeyTree(step.hive, step.path, why);
    case RemovalKind::Record:
      return earlierFailed || RemoveOneFile(step.path, why);
    case RemovalKind::FolderIfEmpty:
      Files().RemoveFolder(step.path);  // a folder that holds anything stays, unreported
      return true;
    case RemovalKind::UninstallKey:
      return earlierFailed || RemoveKeyTree(step.hive, step.path, why);
  }
  return true;
}

int StartUninstaller(const std::string& recordPath) {
  ResetUninstallRun();
  UninstallRun& run = Uninstall();
  run.recordPath = recordPath;
  if (run.recordPath.empty()) {
    ShowError(kNoRecordGiven);
    return 0;
  }
  if (!Files().PathExists(run.recordPath)) {
    ShowError(FormatText(kRecordMissing, run.recordPath));
    return 0;
  }
  if (!LoadUninstallRecord(run.recordPath, &run.record)) {
    ShowError(FormatText(kRecordDamaged, run.recordPath));
    return 0;
  }
  const std::string windowsFolder = Files().WindowsFolder();
  if (std::string problem = UninstallRecordProblem(run.record, windowsFolder); !problem.empty()) {
    ShowError(FormatText(kRecordRefused, run.recordPath, problem));
    return 0;
  }
  const std::string product = run.record.productName;
  if (Windows().ShowMessageBox(nullptr, FormatText(kConfirmRemoval, product), kUninstallerTitle,
                           kMbYesNo | kMbIconQuestion) != kIdYes) {
    return 0;
  }
  run.plan = PlanRemoval(run.record, run.recordPath, windowsFolder);
  run.progressDialog = Windows().CreateModelessDialog(IDD_REMOVAL_PROGRESS);
  if (run.progressDialog == nullptr) {
    ShowError(kNoProgressWindow);
    return 0;
  }
  Windows().SetCaption(run.progressDialog, FormatText(kRemovalCaption, product));
  Windows().ProgressSetRange(run.progressDialog, IDC_REMOVAL_BAR, 0,
                         static_cast<std::uint32_t>(run.plan.size()));
  if (!Windows().StartWorker(&UninstallWorker)) {
    Windows().DestroyDialog(run.progressDialog);
    run.progressDialog = nullptr;
    ShowError(kNoProgressWindow);
    return 0;
  }
  return 1;
}

void UninstallWorker() {
  UninstallRun& run = Uninstall();
  for (const RemovalStep& step : run.plan) {
    const std::string item = StepItem(step);
    Windows().SetItemText(run.progressDialog, IDC_REMOVAL_STATUS, "Removing " + item);
    std::string why;
    if (!CarryOutStep(step, !run.leftBehind.empty(), &why)) run.leftBehind.push_back(item + ": " + why);
    Windows().ProgressDelta(run.progressDialog, IDC_REMOVAL_BAR, 1);
  }
  const std::string product = run.record.productName;
  if (run.leftBehind.empty()) {
    Windows().SetItemText(run.progressDialog, IDC_REMOVAL_STATUS, "Done.");
    Windows().ShowMessageBox(run.progressDialog, FormatText(kRemovalDone, product), kUninstallerTitle,
                         kMbOk | kMbIconInformation);
  } else {
    Windows().SetItemText(run.progressDialog, IDC_REMOVAL_STATUS, "Some items are left.");
    Windows().ShowMessageBox(run.progressDialog,
                         FormatText(kRemovalIncomplete, product, LeftBehindList(run.leftBehind),
                                    product),
                         "Warning", kMbOk | kMbIconWarning);
  }
  run.finished = true;
  Windows().CloseWindow(run.progressDialog);
}

void CloseRemovalDialog() {
  UninstallRun& run = Uninstall();
  if (!run.finished || run.progressDialog == nullptr) return;
  Windows().DestroyDialog(run.progressDialog);
  run.progressDialog = nullptr;
  Windows().PostQuit(0);
}

}  // namespace qinstall
