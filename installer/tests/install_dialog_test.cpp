// The install dialog: what it shows, what it offers, what the browsers fill in and what
// Install and Cancel hand on.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "dialog_harness.h"

namespace qinstall {
namespace {

const WindowHandle kInstall = DialogHandle(IDD_INSTALL);

class InstallDialogTest : public DialogHarness {
 protected:
  // The enabled and checked state of each control after the calls so far; a control not
  // touched is enabled and unchecked, as the template makes it.
  std::map<int, bool> enabled, checked;
  void ReplayCalls() {
    enabled.clear();
    checked.clear();
    for (const std::string& call : system.calls) {
      int id = 0, on = 0;
      if (std::sscanf(call.c_str(), "EnableItem %d %d", &id, &on) == 2) enabled[id] = on != 0;
      if (std::sscanf(call.c_str(), "SetItemChecked %d %d", &id, &on) == 2) checked[id] = on != 0;
    }
  }
  bool Enabled(int id) const { return enabled.count(id) == 0 || enabled.at(id); }
  bool Checked(int id) const { return checked.count(id) != 0 && checked.at(id); }
  std::string Field(int id) { return system.GetItemText(kInstall, id, 1000); }
};

TEST_F(InstallDialogTest, OpensWithTheProductCaptionAndFreshChoices) {
  UsePackage(1, {0});
  Choices().desktopShortcuts = true;
  cancelRequested = 1;
  OpenInstallDialog();
  EXPECT_EQ(CountCalls("SetCaptionIcon 2"), 1u);
  EXPECT_EQ(CountCalls("SetCaption Install Tool"), 1u);
  EXPECT_TRUE(Choices().startMenuShortcuts);
  EXPECT_FALSE(Choices().desktopShortcuts);
  EXPECT_EQ(cancelRequested.load(), 0);
  EXPECT_EQ(Field(IDC_START_MENU_EDIT), "Programs\\Tool");
  EXPECT_EQ(qinstall::Run().installDialog, kInstall);
}

TEST_F(InstallDialogTest, DefaultDestinationExpandsOnlyALeadingPlaceholder) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"%WINDOWS%\\Fonts2", "D:\\WIN98\\Fonts2"},
      {"%windows%", "D:\\WIN98"},
      {"%Program Files%\\Tool", "C:\\Program Files\\Tool"},
      {"%PROGRAM FILES%", "C:\\Program Files"},
      {"X%windows%", "X%windows%"},
      {"%window", "%window"},
      {"%windows%%program files%", "D:\\WIN98%program files%"},
      {"%program files%\\%windows%", "C:\\Program Files\\%windows%"},
      {"", ""},
  };
  system.windowsFolder = "D:\\WIN98";
  for (const auto& [given, shown] : cases) {
    SCOPED_TRACE(given);
    ResetInstallPackage();
    UsePackage(0, {}, given.c_str());
    OpenInstallDialog();
    EXPECT_EQ(Field(IDC_DESTINATION_EDIT), shown);
    EXPECT_EQ(Package().destinationFolder, given);  // only the field shows the expansion
  }
}

struct EnablingCase {
  std::vector<unsigned> placements;
  bool startMenuChecked, startMenuBox, startMenuField, startMenuBrowse, desktopBox;
  bool startMenuChoice;
};

TEST_F(InstallDialogTest, ShortcutChoicesFollowWhereTheEntriesCanGo) {
  const std::vector<EnablingCase> cases = {
      {{2, 2}, false, false, false, false, true, false},
      {{1, 1}, true, true, true, true, false, true},
      {{5, 5}, false, false, false, false, false, false},
      {{}, true, false, false, true, false, true},  // Browse stays, 105 stays checked
      {{0}, true, true, true, true, true, true},
      {{1, 2}, true, true, true, true, true, true},
      {{5, 2}, false, false, false, false, true, false},
  };
  for (const EnablingCase& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.placements));
    ResetInstallRun();
    ResetInstallPackage();
    system.calls.clear();
    UsePackage(1, c.placements);
    OpenInstallDialog();
    ReplayCalls();
    EXPECT_EQ(Checked(IDC_START_MENU_CHECK), c.startMenuChecked);
    EXPECT_EQ(Enabled(IDC_START_MENU_CHECK), c.startMenuBox);
    EXPECT_EQ(Enabled(IDC_START_MENU_EDIT), c.startMenuField);
    EXPECT_EQ(Enabled(IDC_START_MENU_BROWSE), c.startMenuBrowse);
    EXPECT_EQ(Enabled(IDC_DESKTOP_CHECK), c.desktopBox);
    EXPECT_FALSE(Checked(IDC_DESKTOP_CHECK));
    EXPECT_EQ(Choices().startMenuShortcuts, c.startMenuChoice);
    EXPECT_FALSE(Choices().desktopShortcuts);
  }
}

TEST_F(InstallDialogTest, CheckBoxesFlipTheirChoices) {
  UsePackage(1, {0});
  OpenInstallDialog();
  InstallDialogCommand(kInstall, IDC_START_MENU_CHECK);
  ReplayCalls();
  EXPECT_FALSE(Choices().startMenuShortcuts);
  EXPECT_FALSE(Enabled(IDC_START_MENU_EDIT));
  EXPECT_FALSE(Enabled(IDC_START_MENU_BROWSE));
  InstallDialogCommand(kInstall, IDC_START_MENU_CHECK);
  ReplayCalls();
  EXPECT_TRUE(Choices().startMenuShortcuts);
  EXPECT_TRUE(Enabled(IDC_START_MENU_EDIT));
  EXPECT_TRUE(Enabled(IDC_START_MENU_BROWSE));

  const std::size_t before = system.calls.size();
  InstallDialogCommand(kInstall, IDC_DESKTOP_CHECK);
  EXPECT_TRUE(Choices().desktopShortcuts);
  InstallDialogCommand(kInstall, IDC_DESKTOP_CHECK);
  EXPECT_FALSE(Choices().desktopShortcuts);
  EXPECT_EQ(system.calls.size(), before);  // the Desktop box changes nothing else
  EXPECT_FALSE(InstallDialogCommand(kInstall, 999));
}

TEST_F(InstallDialogTest, DestinationBrowserAppendsTheProduct) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"D:\\Apps", "D:\\Apps\\Tool"},
      {"D:\\", "D:\\Tool"},
      {"C:\\Program Files\\Old Tool", "C:\\Program Files\\Old Tool\\Tool"},
  };
  UsePackage(1, {0});
  OpenInstallDialog();
  system.browseResult = FolderChoice::Chosen;
  for (const auto& [chosen, shown] : cases) {
    SCOPED_TRACE(chosen);
    system.browsePath = chosen;
    system.calls.clear();
    InstallDialogCommand(kInstall, IDC_DESTINATION_BROWSE);
    EXPECT_EQ(Field(IDC_DESTINATION_EDIT), shown);
    EXPECT_EQ(system.calls, (std::vector<std::string>{
                                "BrowseForFolder Choose Installation Folder Desktop",
                                "SetItemText 109 " + shown, "FocusItem 109",
                                "SetCaretToEnd 109"}));
  }
}

TEST_F(InstallDialogTest, StartMenuBrowserMakesTheChoiceRelativeToTheStartMenu) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"C:\\WINDOWS\\Start Menu\\Programs", "Programs\\Tool"},
      {"c:\\windows\\start menu\\Programs\\Games", "Programs\\Games\\Tool"},
      // A Start Menu of each user's own, still on the Windows drive.
      {"C:\\WINDOWS\\Profiles\\Ann\\Start Menu\\Programs",
       "..\\Profiles\\Ann\\Start Menu\\Programs\\Tool"},
      {"C:\\Users\\Ann\\Start Menu\\Programs", "..\\..\\Users\\Ann\\Start Menu\\Programs\\Tool"},
  };
  UsePackage(1, {0});
  OpenInstallDialog();
  system.browseResult = FolderChoice::Chosen;
  for (const auto& [chosen, shown] : cases) {
    SCOPED_TRACE(chosen);
    system.browsePath = chosen;
    system.calls.clear();
    InstallDialogCommand(kInstall, IDC_START_MENU_BROWSE);
    EXPECT_EQ(Field(IDC_START_MENU_EDIT), shown);
    EXPECT_EQ(system.calls, (std::vector<std::string>{
                                "BrowseForFolder Choose Shortcut Folder Programs",
                                "SetItemText 106 " + shown, "FocusItem 106",
                                "SetCaretToEnd 106"}));
  }
  // A folder on another drive cannot be reached from the Start Menu: the field stays.
  system.browsePath = "D:\\Menu";
  InstallDialogCommand(kInstall, IDC_START_MENU_BROWSE);
  EXPECT_EQ(Field(IDC_START_MENU_EDIT), cases.back().second);
}

TEST_F(InstallDialogTest, BrowsersThatGiveNothingLeaveTheFields) {
  const std::vector<FolderChoice> outcomes = {FolderChoice::Cancelled, FolderChoice::NoAllocator,
                                              FolderChoice::NoRoot, FolderChoice::OutOfMemory};
  UsePackage(1, {0});
  OpenInstallDialog();
  const std::string destination = Field(IDC_DESTINATION_EDIT);
  for (FolderChoice outcome : outcomes) {
    system.browseResult = outcome;
    system.browsePath = "D:\\Never";
    system.boxes.clear();
    for (int browse : {IDC_DESTINATION_BROWSE, IDC_START_MENU_BROWSE}) {
      InstallDialogCommand(kInstall, browse);
    }
    EXPECT_EQ(Field(IDC_DESTINATION_EDIT), destination);
    EXPECT_EQ(Field(IDC_START_MENU_EDIT), "Programs\\Tool");
    if (outcome == FolderChoice::OutOfMemory) {
      ASSERT_EQ(system.boxes.size(), 2u);
      EXPECT_EQ(system.boxes[0].owner, kInstall);
      EXPECT_EQ(system.boxes[0].text, "Out of memory.");
      EXPECT_EQ(system.boxes[0].caption, "Error");
      EXPECT_EQ(system.boxes[0].style, kMbIconError);
    } else {
      EXPECT_TRUE(system.boxes.empty());
    }
  }
}

TEST_F(InstallDialogTest, InstallReadsBothFieldsAndHandsOverToTheProgressDialog) {
  UsePackage(1, {2});  // Start Menu field disabled: it is read all the same
  OpenInstallDialog();
  system.SetItemText(kInstall, IDC_DESTINATION_EDIT, "E:\\Typed");
  system.SetItemText(kInstall, IDC_START_MENU_EDIT, "Programs\\Typed");
  system.calls.clear();
  InstallDialogCommand(kInstall, IDC_INSTALL);

  EXPECT_STREQ(Package().destinationFolder, "E:\\Typed");
  EXPECT_STREQ(Package().startMenuFolder, "Programs\\Typed");
  const std::vector<std::string> start(system.calls.begin(), system.calls.begin() + 5);
  EXPECT_EQ(start, (std::vector<std::string>{"DestroyDialog 256", "CreateModelessDialog 2",
                                             "SetCaptionIcon 2", "SetCaption Installing Tool",
                                             "StartWorker"}));
  EXPECT_EQ(qinstall::Run().installDialog, nullptr);
}

TEST_F(InstallDialogTest, AnEmptyDestinationIsHandedOnUnchecked) {
  UsePackage(0, {});
  OpenInstallDialog();
  system.SetItemText(kInstall, IDC_DESTINATION_EDIT, "");
  InstallDialogCommand(kInstall, IDC_INSTALL);
  EXPECT_STREQ(Package().destinationFolder, "");
  EXPECT_EQ(Script().log.front(), "CreateInstallFolders");
}

TEST_F(InstallDialogTest, AFolderTooLongForItsBufferIsRefusedNotCut) {
  for (int id : {IDC_DESTINATION_EDIT, IDC_START_MENU_EDIT}) {
    SCOPED_TRACE(id);
    ResetInstallPackage();
    system.calls.clear();
    system.boxes.clear();
    UsePackage(0, {});
    OpenInstallDialog();
    system.SetItemText(kInstall, id, "C:\\" + std::string(256, 'x'));  // 259: fits
    system.SetItemText(kInstall, IDC_DESTINATION_EDIT + IDC_START_MENU_EDIT - id, "C:\\A");
    system.SetItemText(kInstall, id, "C:\\" + std::string(257, 'x'));  // 260: does not
    InstallDialogCommand(kInstall, IDC_INSTALL);
    ASSERT_EQ(system.boxes.size(), 1u);
    EXPECT_EQ(system.boxes[0].owner, kInstall);
    EXPECT_EQ(system.boxes[0].caption, "Error");
    EXPECT_EQ(CountCalls("DestroyDialog 256"), 0u);
    EXPECT_EQ(CountCalls("StartWorker"), 0u);
  }
  // 259 characters still go through.
  system.boxes.clear();
  system.SetItemText(kInstall, IDC_START_MENU_EDIT, "C:\\" + std::string(256, 'x'));
  system.SetItemText(kInstall, IDC_DESTINATION_EDIT, "C:\\" + std::string(256, 'y'));
  InstallDialogCommand(kInstall, IDC_INSTALL);
  EXPECT_EQ(std::string(Package().destinationFolder), "C:\\" + std::string(256, 'y'));
  EXPECT_EQ(CountCalls("StartWorker"), 1u);
}

TEST_F(InstallDialogTest, CancelEndsTheProgramThroughItsClose) {
  UsePackage(1, {0});
  OpenInstallDialog();
  system.calls.clear();
  EXPECT_TRUE(InstallDialogCommand(kInstall, IDC_CANCEL));
  EXPECT_EQ(system.calls, (std::vector<std::string>{"CloseWindow 256", "DestroyDialog 256",
                                                    "PostQuit 0"}));
  EXPECT_TRUE(Script().log.empty());
}

}  // namespace
}  // namespace qinstall
