// The split fixture with the dialogs wired as Windows wires them: creating a dialog runs
// its initialisation, WM_CLOSE runs its close handler, modal dialogs run a script.
#pragma once

#include <functional>
#include <string>

#include "split_fixture.h"

namespace parcelo {

class DialogFixture : public SplitFixture {
 protected:
  void SetUp() override;

  // The main dialog as StartParcelo makes it.
  WindowHandle OpenMain(const std::string& commandLine = "");
  WindowHandle Main() const;

  // What a user does in the current main dialog; each sends the command Windows would.
  void Type(int id, const std::string& text);
  void ChooseMode(int radioId);
  void Select(int listId, int index);
  void Press(int id);

  std::string Text(int id) const { return Item(id).text; }
  const TestSystem::Item& Item(int id) const;
  std::string LastBoxText() const;

  // Runs while the Backup Pieces or Options dialog is up.
  std::function<void(WindowHandle)> backupScript;
  std::function<void(WindowHandle)> optionsScript;
};

}  // namespace parcelo
