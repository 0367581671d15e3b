// A TestSystem whose made dialogs run the installer's real handlers, and a package filled
// in memory, for the dialogs' and the worker's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "package/install_package.h"
#include "phases/install_run.h"
#include "resources/resource_ids.h"
#include "scripted_phases.h"
#include "test_system.h"
#include "ui/install_dialog.h"
#include "ui/progress_dialog.h"

namespace qinstall {

inline WindowHandle DialogHandle(int resource) {
  return reinterpret_cast<WindowHandle>(static_cast<std::uintptr_t>(resource) * 0x100);
}

class DialogHarness : public ::testing::Test {
 protected:
  DialogHarness() {
    ResetInstallRun();
    ResetInstallPackage();
    ResetPhaseScript();
    system.onCreate = [](int resource, WindowHandle dialog) {
      if (resource == IDD_INSTALL) InstallDialogInit(dialog);
      if (resource == IDD_PROGRESS) ProgressDialogInit(dialog);
    };
    system.onClose = [](WindowHandle window) {
      if (window == DialogHandle(IDD_INSTALL)) InstallDialogClose(window);
      if (window == DialogHandle(IDD_PROGRESS)) ProgressDialogClose(window);
    };
  }
  ~DialogHarness() override {
    ResetInstallPackage();
    ResetInstallRun();
  }

  // A package of the given files and shortcut placements, named "Tool".
  static void UsePackage(std::size_t files, const std::vector<unsigned>& placements,
                         const char* destination = "%program files%\\Tool",
                         const char* startMenu = "Programs\\Tool") {
    InstallPackage& package = Package();
    std::strcpy(package.productName, "Tool");
    std::strcpy(package.destinationFolder, destination);
    std::strcpy(package.startMenuFolder, startMenu);
    ASSERT_TRUE(AllocateSlots(package.files, files));
    for (std::size_t i = 0; i < files; ++i) {
      std::strcpy(package.files[i].name, ("File" + std::to_string(i) + ".txt").c_str());
    }
    ASSERT_TRUE(AllocateSlots(package.shortcuts, placements.size()));
    for (std::size_t i = 0; i < placements.size(); ++i) {
      package.shortcuts[i].placement = static_cast<ShortcutPlacement>(placements[i]);
    }
  }

  // Makes the install dialog as the start-up does.
  WindowHandle OpenInstallDialog() { return system.CreateModelessDialog(IDD_INSTALL); }

  // The window calls from the first one that starts with `from` on.
  std::vector<std::string> CallsFrom(const std::string& from) const {
    std::vector<std::string> tail;
    bool on = false;
    for (const std::string& call : system.calls) {
      on = on || call.rfind(from, 0) == 0;
      if (on) tail.push_back(call);
    }
    return tail;
  }

  std::size_t CountCalls(const std::string& call) const {
    std::size_t count = 0;
    for (const std::string& each : system.calls) count += each == call ? 1 : 0;
    return count;
  }

  TestSystem system;
};

}  // namespace qinstall
