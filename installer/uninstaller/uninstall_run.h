// One run of the uninstaller: the record, the plan made from it, the progress dialog and
// what could not be removed. The start-up asks once, opens the progress dialog and starts
// the worker; the worker removes, reports and closes the dialog, which ends the program.
#pragma once

#include <string>
#include <vector>

#include "package/uninstall_record.h"
#include "platform/system.h"
#include "uninstaller/removal_plan.h"

namespace qinstall {

struct UninstallRun {
  std::string recordPath;
  UninstallRecord record;
  std::vector<RemovalStep> plan;
  WindowHandle progressDialog = nullptr;
  bool finished = false;  // set by the worker before it closes the progress dialog
  std::vector<std::string> leftBehind;  // "item: why", in plan order
};
UninstallRun& Uninstall();
void ResetUninstallRun();

// Takes the record's path (RecordPathFromCommandLine). Returns 1 when the removal runs (the
// progress dialog is open and closes itself at the end, so the message loop is needed), 0
// when the program is done: nothing named, a record missing, damaged or refused, or the
// question answered No.
int StartUninstaller(const std::string& recordPath);

// The worker: every step of the plan, a status line and a bar step each, one closing
// message, then WM_CLOSE to the progress dialog.
void UninstallWorker();

// WM_CLOSE to the progress dialog: honoured only once the worker has finished, so that
// the removal is never cut off half way.
void CloseRemovalDialog();

// One step. Returns false, with *why, when it left its item behind; a missing item is
// gone already. The record and the product's key stay when an earlier step failed, so
// that the user can run the removal again.
bool CarryOutStep(const RemovalStep& step, bool earlierFailed, std::string* why);

// The step's item as the user reads it: a path, or a key with its hive.
std::string StepItem(const RemovalStep& step);

}  // namespace qinstall
