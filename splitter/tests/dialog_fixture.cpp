#include "dialog_fixture.h"

#include "engine/settings_store.h"
#include "engine/split_job.h"
#include "frontend/about_dialog.h"
#include "frontend/backup_path_dialog.h"
#include "frontend/main_dialog.h"
#include "frontend/main_dialog_state.h"
#include "frontend/options_dialog.h"
#include "frontend/progress_dialog.h"
#include "frontend/startup.h"
#include "resources/control_ids.h"

namespace parcelo {

void DialogFixture::SetUp() {
  SplitFixture::SetUp();
  progressDialog = nullptr;
  progressToolTip = nullptr;
  mainDialogWindow = nullptr;
  sys_->onCreate = [](int resource, WindowHandle dialog) {
    if (resource == kDialogMain) MainDialogInit(dialog);
    if (resource == kDialogProgress) ProgressDialogInit(dialog);
  };
  sys_->onModal = [this](int resource, WindowHandle dialog) {
    if (resource == kDialogOptions) {
      OptionsDialogInit(dialog);
      if (optionsScript) optionsScript(dialog);
    }
    if (resource == kDialogBackup && backupScript) backupScript(dialog);
    if (resource == kDialogAbout) AboutDialogInit(dialog);
  };
  // As in Windows: the controls go, and the edit that had the focus says it lost it.
  sys_->onDestroy = [this](WindowHandle dialog) {
    if (sys_->ResourceOf(dialog) != kDialogMain) return;
    for (auto item = sys_->items.begin(); item != sys_->items.end();) {
      item = item->first.first == dialog ? sys_->items.erase(item) : std::next(item);
    }
    MainDialogCommand(dialog, kIdSourceEdit, kEnKillFocus);
  };
  // As in Windows: setting an edit's text notifies its dialog of the change.
  sys_->onTextSet = [this](WindowHandle dialog, int id) {
    if (sys_->ResourceOf(dialog) == kDialogMain &&
        (id == kIdSourceEdit || id == kIdDestinationEdit || id == kIdSizeEdit)) {
      MainDialogCommand(dialog, id, kEnChange);
    }
  };
  sys_->onClose = [this](WindowHandle window) {
    switch (sys_->ResourceOf(window)) {
      case kDialogMain: MainDialogClose(window); break;
      case kDialogProgress: ProgressDialogClose(window); break;
      case kDialogAbout: AboutDialogClose(window); break;
      case kDialogBackup: BackupPathDialogCancel(window); break;
      case kDialogOptions: OptionsDialogCancel(window); break;
      default: break;
    }
  };
}

WindowHandle DialogFixture::OpenMain(const std::string& commandLine) {
  StartParcelo(commandLine);
  return mainDialogWindow;
}

WindowHandle DialogFixture::Main() const { return mainDialogWindow; }

void DialogFixture::Type(int id, const std::string& text) {
  sys_->SetItemText(Main(), id, text);  // notifies the change
  if (id == kIdSourceEdit) MainDialogCommand(Main(), id, kEnKillFocus);
}

void DialogFixture::ChooseMode(int radioId) {
  for (int id : {kIdSpanRadio, kIdSpecifiedRadio, kIdPresetRadio}) {
    sys_->ItemOf(Main(), id).checked = id == radioId;
  }
  MainDialogCommand(Main(), radioId, 0);
}

void DialogFixture::Select(int listId, int index) {
  sys_->ItemOf(Main(), listId).selection = index;
  MainDialogCommand(Main(), listId, 1);
}

void DialogFixture::Press(int id) { MainDialogCommand(Main(), id, 0); }

const TestSystem::Item& DialogFixture::Item(int id) const { return sys_->ItemOf(Main(), id); }

std::string DialogFixture::LastBoxText() const {
  return sys_->boxes.empty() ? std::string() : sys_->boxes.back().text;
}

}  // namespace parcelo
