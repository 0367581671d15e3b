// Each file, folder, registry and link operation of a whole run fails in turn. Whatever
// fails, the run ends once, says what its phase says, and changes nothing but its own work;
// a file that was there before is never lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "install_world.h"
#include "phases/install_phases.h"
#include "platform/posix/posix_registry_system.h"

namespace qinstall {
namespace {

const char kComplete[] = "Installation is now complete.";
const char kRegistry[] = "Unexpected error accessing the system registry.";
const char kDestinationFolder[] =
    "Error creating destination directory. Directory must be created inside an existing directory.";
const char kShortcutFolder[] =
    "Error creating shortcut folder. Folder must be created inside an existing folder.";
const char kCancelQuestion[] = "Are you sure you want to cancel the installation?";
const char kKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tavrin Sample";

const char kCommand[] = "C:\\WINDOWS\\Uninstaller.exe C:\\Apps\\Sample\\Uninstall.qsu";

const char* const kOperations[] = {"CreateForWriting", "WriteFile",   "CreateFolder",
                                   "RemoveFolder",     "CopyFileOver", "RemoveFile",
                                   "RenameFile",       "CreateKey",    "SetString",
                                   "QueryValue",       "SetValue",     "DeleteValue",
                                   "DeleteKey",        "SaveShellLink"};

// The machine of the sweep: a destination that holds a file the package replaces and an
// earlier record, the uninstall key of that earlier installation, a Start Menu folder to
// make, a desktop link to replace, a stranger's file.
void Prepare(InstallWorld& world) {
  MemoryRegistry& registry = HostRegistry().Memory();
  const RegistryKey key = registry.CreateKey(RegistryHive::LocalMachine, kKey);
  registry.SetString(key, "DisplayName", "Tavrin Sample 1.0");
  registry.SetString(key, "Publisher", "Tavrin");
  registry.CloseKey(key);
  world.SetSamplePackage();
  Choices().desktopShortcuts = true;
  world.Put("C:\\Apps\\Sample\\Notes.txt", "the user's notes");
  world.Put("C:\\Apps\\Sample\\Uninstall.qsu", "an earlier record");
  world.Put("C:\\Apps\\Sample\\Mine.txt", "not the package's");
  world.Put("C:\\WINDOWS\\Desktop\\Read Me.lnk", "an earlier link");
  world.Put("C:\\WINDOWS\\Start Menu\\Programs\\Other.lnk", "another product");
}

const std::set<std::string>& RunPaths() {
  static const std::set<std::string> paths = {
      "C:\\Apps\\Sample\\Readme.txt",
      "C:\\Apps\\Sample\\Notes.txt",
      "C:\\Apps\\Sample\\Settings.ini",
      "C:\\Apps\\Sample\\Uninstall.qsu",
      "C:\\WINDOWS\\Start Menu\\Programs\\Sample",
      "C:\\WINDOWS\\Start Menu\\Programs\\Sample\\Read Me.lnk",
      "C:\\WINDOWS\\Desktop\\Read Me.lnk",
      "C:\\WINDOWS\\Desktop\\Notes.lnk",
      "C:\\WINDOWS\\Uninstaller.exe",
  };
  return paths;
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('\\')); }

// Checks the end state against the state before; a kept file (~QSI) may stay behind only
// when removing or renaming failed, and then it holds what was there before.
void ExpectOnlyOwnWork(const std::map<std::string, std::string>& before,
                       const std::map<std::string, std::string>& after, bool keptMayStay,
                       const std::string& what) {
  for (const std::string& change : Changes(before, after)) {
    const std::string path = change.substr(2);
    if (path.find("~QSI") != std::string::npos) {
      EXPECT_TRUE(keptMayStay) << what << ": " << change;
      continue;
    }
    EXPECT_TRUE(RunPaths().count(path) != 0) << what << ": " << change;
  }
  for (const auto& [path, bytes] : before) {
    if (bytes == "<folder>" || RunPaths().count(path) != 0) continue;
    EXPECT_EQ(after.count(path) ? after.at(path) : "<gone>", bytes) << what << ": " << path;
  }
}

// After a rollback, a file that was there before must be found in its folder, at its
// path or (when putting it back failed) under its kept name.
void ExpectNothingLost(const std::map<std::string, std::string>& before,
                       const std::map<std::string, std::string>& after, const std::string& what) {
  for (const auto& [path, bytes] : before) {
    if (bytes == "<folder>") continue;
    const auto now = after.find(path);
    if (now != after.end() && now->second == bytes) continue;
    bool kept = false;
    for (const auto& [other, otherBytes] : after) {
      kept = kept || (FolderOf(other) == FolderOf(path) && otherBytes == bytes);
    }
    EXPECT_TRUE(kept) << what << ": lost " << path;
  }
}

// Cancel pressed from the start: No at every check point before the registry entry is
// made, Yes after it (check point C); Yes to overwriting, Cancel after a failed copy.
void CancelAtTheEnd(InstallWorld& world) {
  cancelRequested = 1;
  world.system.answer = [](const Box& box) {
    if (box.text != kCancelQuestion) return (box.style & 0xF) == kMbYesNo ? kIdYes : kIdCancel;
    std::string command;
    HostRegistry().Memory().QueryString(RegistryHive::LocalMachine, kKey, "UninstallString",
                                        &command);
    return command == kCommand ? kIdYes : kIdNo;
  };
}

std::map<std::string, int> CountCalls(bool cancelAtEnd) {
  InstallWorld world;
  Prepare(world);
  if (cancelAtEnd) CancelAtTheEnd(world);
  world.RunInstall();
  return world.system.operationCalls;
}

TEST(FaultSweepTest, EveryFailureOfACompletingRunEndsItCleanly) {
  const std::map<std::string, int> calls = CountCalls(false);
  int runs = 0;
  for (const char* operation : kOperations) {
    const auto counted = calls.find(operation);
    const int count = counted == calls.end() ? 0 : counted->second;
    for (int call = 1; call <= count; ++call, ++runs) {
      const std::string what = std::string(operation) + " #" + std::to_string(call);
      InstallWorld world;
      Prepare(world);
      const auto before = world.Snapshot();
      world.system.FailCall(operation, call);
      world.RunInstall();

      EXPECT_EQ(world.Closes(), 1) << what;
      std::vector<std::string> texts = world.BoxTexts();
      // The overwrite question for Notes.txt comes in every run that reaches it.
      texts.erase(std::remove(texts.begin(), texts.end(),
                              std::string("File 'Notes.txt' already exists. Overwrite?")),
                  texts.end());
      ASSERT_EQ(texts.size(), 1u) << what;
      const std::string& message = texts[0];
      const std::string op = operation;
      if (op == "CreateFolder") {
        EXPECT_TRUE(message == kDestinationFolder || message == kShortcutFolder) << what;
      } else if (op == "CopyFileOver") {
        EXPECT_EQ(message.rfind("Error copying file '", 0), 0u) << what << ": " << message;
      } else if (op == "CreateKey" || op == "SetString" || op == "QueryValue") {
        EXPECT_EQ(message, kRegistry) << what;
      } else if (op == "RenameFile") {
        // Keeping a file aside fails the copy; keeping a link aside skips the link.
        EXPECT_TRUE(message == kComplete || message == "Error copying file 'Notes.txt'")
            << what << ": " << message;
      } else {
        EXPECT_EQ(message, kComplete) << what;
      }
      const auto after = world.Snapshot();
      ExpectOnlyOwnWork(before, after, op == "RemoveFile", what);
      if (message == "Error copying file 'Notes.txt'") {
        EXPECT_EQ(world.Read("C:\\Apps\\Sample\\Notes.txt"), "the user's notes") << what;
      }
    }
  }
  EXPECT_GT(runs, 20);
}

TEST(FaultSweepTest, EveryFailureOfARollbackLosesNothing) {
  const std::map<std::string, int> calls = CountCalls(true);
  int runs = 0;
  for (const char* operation : kOperations) {
    const auto counted = calls.find(operation);
    const int count = counted == calls.end() ? 0 : counted->second;
    for (int call = 1; call <= count; ++call, ++runs) {
      const std::string what = std::string(operation) + " #" + std::to_string(call);
      InstallWorld world;
      Prepare(world);
      const auto before = world.Snapshot();
      world.system.FailCall(operation, call);
      CancelAtTheEnd(world);
      world.RunInstall();

      EXPECT_EQ(world.Closes(), 1) << what;
      const auto after = world.Snapshot();
      const std::string op = operation;
      ExpectOnlyOwnWork(before, after, op == "RemoveFile" || op == "RenameFile", what);
      // A failure before the end stops the run without a rollback: its work stays.
      const bool rolledBack = world.BoxTexts().back() == kCancelQuestion;
      if (rolledBack) ExpectNothingLost(before, after, what);
      if (rolledBack && op != "SetValue" && op != "DeleteValue" && op != "CreateKey") {
        // The earlier installation's key holds what it held.
        const auto values = HostRegistry().Memory().ValuesOf(RegistryHive::LocalMachine, kKey);
        EXPECT_EQ(values.size(), 2u) << what;
        std::string name;
        HostRegistry().Memory().QueryString(RegistryHive::LocalMachine, kKey, "DisplayName", &name);
        EXPECT_EQ(name, "Tavrin Sample 1.0") << what;
      }
      if (rolledBack && (op == "CreateForWriting" || op == "WriteFile" || op == "SaveShellLink")) {
        // Nothing to take back failed: all is as before, the uninstaller copy aside.
        std::vector<std::string> changes = Changes(before, after);
        changes.erase(std::remove(changes.begin(), changes.end(),
                                  std::string("+ C:\\WINDOWS\\Uninstaller.exe")),
                      changes.end());
        EXPECT_EQ(changes, std::vector<std::string>{}) << what;
      }
    }
  }
  EXPECT_GT(runs, 20);
}

}  // namespace
}  // namespace qinstall
