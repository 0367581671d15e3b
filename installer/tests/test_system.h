// A System for tests: real files through the platform System, a record of every message
// box, window call and removal, scripted answers, a count of open files, and injected
// faults (the nth read call or allocation fails; the nth call of a file, folder, registry
// or link operation fails with an error; a file is held open by another program).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/forwarding_system.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_registry_system.h"
#include "platform/system.h"

namespace qinstall {

struct Box {
  WindowHandle owner;
  std::string text;
  std::string caption;
  unsigned style;
};

// The faults to inject and what was removed, shared by the file and registry wrappers.
struct FaultPlan {
  // The call-th call (from 1) of operation, named as its method ("CopyFileOver",
  // "CreateFolder", "SetString", "SaveShellLink", ...), fails with error.
  void FailCall(const std::string& operation, int call, std::uint32_t error = kErrorAccessDenied) {
    faults[operation][call] = error;
  }
  // Counts the call and says whether it is the one to fail (setting *error).
  bool Faulted(const std::string& operation, std::uint32_t* error);

  std::map<std::string, std::map<int, std::uint32_t>> faults;  // by operation, by call
  std::map<std::string, int> operationCalls;  // calls so far, by operation
  // Every removal asked for, in order: "file C:\...", "folder C:\...", "key HKCU\...".
  std::vector<std::string> removals;
};

// Real files through the POSIX file system, with a count of open files and faults.
class TestFileSystem : public ForwardingFileSystem {
 public:
  explicit TestFileSystem(FaultPlan& plan) : ForwardingFileSystem(HostFiles()), plan_(plan) {}

  std::string WindowsFolder() override { return windowsFolder; }
  FileHandle OpenExistingForReading(const std::string& path, std::uint32_t* error) override;
  FileHandle CreateForWriting(const std::string& path, std::uint32_t* error) override;
  FileHandle CreateTemporaryBeside(const std::string& path, std::string* temporary,
                                   std::uint32_t* error) override;
  IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) override;
  IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count) override;
  bool FlushFile(FileHandle file, std::uint32_t* error) override;
  void CloseFile(FileHandle file) override;
  bool CreateFolder(const std::string& path, std::uint32_t* error) override;
  bool RemoveFolder(const std::string& path) override;
  bool CopyFileOver(const std::string& from, const std::string& to, std::uint32_t* error) override;
  bool RemoveFile(const std::string& path, std::uint32_t* error) override;
  bool RenameFile(const std::string& from, const std::string& to, std::uint32_t* error) override;
  bool MoveOver(const std::string& from, const std::string& to, std::uint32_t* error) override;
  void* AllocateMemory(std::size_t bytes) override;

  std::string windowsFolder = "C:\\WINDOWS";
  // Paths of files that another program holds open: removing one is a sharing violation
  // (a POSIX file system lets any file go).
  std::set<std::string> inUse;
  int failReadCall = 0;       // from 1; 0 never
  int failAllocation = 0;     // from 1; 0 never
  int readCalls = 0;
  int allocations = 0;
  int openFiles = 0;

 private:
  FaultPlan& plan_;
};

// The POSIX registry, with faults.
class TestRegistrySystem : public ForwardingRegistrySystem {
 public:
  explicit TestRegistrySystem(FaultPlan& plan)
      : ForwardingRegistrySystem(HostRegistry()), plan_(plan) {}

  RegistryKey CreateKey(RegistryHive hive, const std::string& subKey,
                        std::uint32_t* error) override;
  bool SetString(RegistryKey key, const std::string& name, const std::string& value) override;
  std::uint32_t QueryValue(RegistryKey key, const std::string& name,
                           RegistryValue* value) override;
  bool SetValue(RegistryKey key, const std::string& name, const RegistryValue& value) override;
  bool DeleteValue(RegistryKey key, const std::string& name) override;
  bool DeleteKey(RegistryHive hive, const std::string& subKey) override;
  std::uint32_t DeleteKeyTree(RegistryHive hive, const std::string& subKey) override;

 private:
  FaultPlan& plan_;
};

// Windows that record every call and answer boxes as scripted; links are real files (a
// link can fail as a fault).
class TestWindowSystem : public WindowSystem {
 public:
  explicit TestWindowSystem(FaultPlan& plan) : plan_(plan) {}

  std::uint32_t PlatformId() override { return platformId; }
  // Takes the next scripted answer, or when none is left kIdOk (kIdYes for a Yes/No box,
  // kIdCancel for a Retry/Cancel box, so that no run retries for ever).
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;
  WindowHandle CreateModelessDialog(int resource) override;
  void DestroyDialog(WindowHandle dialog) override;
  void CloseWindow(WindowHandle window) override;
  void PostQuit(int code) override;
  void SetCaption(WindowHandle window, const std::string& text) override;
  void SetCaptionIcon(WindowHandle window, int iconResource) override;
  void SetItemText(WindowHandle dialog, int id, const std::string& text) override;
  std::string GetItemText(WindowHandle dialog, int id, std::size_t maxChars) override;
  void SetItemChecked(WindowHandle dialog, int id, bool checked) override;
  void EnableItem(WindowHandle dialog, int id, bool enabled) override;
  void FocusItem(WindowHandle dialog, int id) override;
  void SetCaretToEnd(WindowHandle dialog, int id) override;
  void ProgressSetRange(WindowHandle dialog, int id, std::uint32_t minimum,
                        std::uint32_t maximum) override;
  void ProgressSetPos(WindowHandle dialog, int id, std::uint32_t position) override;
  void ProgressDelta(WindowHandle dialog, int id, std::int32_t delta) override;
  FolderChoice BrowseForFolder(WindowHandle owner, const std::string& title, BrowseRoot root,
                               std::string* path) override;
  bool SaveShellLink(const ShellLink& link) override;
  // Runs the worker on the caller's thread, before returning.
  bool StartWorker(void (*procedure)()) override;

  std::uint32_t platformId = kPlatformWindows;
  std::deque<int> answers;    // for the message boxes, in order
  std::function<int(const Box&)> answer;  // when set, answers every box instead
  std::vector<Box> boxes;
  // Every window call, one line each: "SetItemText 100 Copying Files...", "ProgressDelta 102 1".
  std::vector<std::string> calls;
  // Item texts as the dialogs hold them, by control id (GetItemText reads them back).
  std::vector<std::pair<int, std::string>> itemTexts;
  FolderChoice browseResult = FolderChoice::Cancelled;
  std::string browsePath;
  // The dialog procedures, where a test wants them run: a made dialog's WM_INITDIALOG
  // and a sent WM_CLOSE.
  std::function<void(int resource, WindowHandle dialog)> onCreate;
  std::function<void(WindowHandle window)> onClose;

 private:
  FaultPlan& plan_;
};

// The three wrappers over one fault plan, installed for the test's life; each starts from
// an empty drive table and registry.
class TestSystem : public FaultPlan,
                   public TestFileSystem,
                   public TestRegistrySystem,
                   public TestWindowSystem {
 public:
  TestSystem();
  ~TestSystem() override;
};

// A fresh folder below the system's temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  const std::string& path() const { return path_; }
  std::string Write(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

std::string ReadFileBytes(const std::string& path);

}  // namespace qinstall
