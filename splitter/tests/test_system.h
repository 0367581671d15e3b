// A System for tests: real files through the POSIX System, with scripted answers to
// message boxes, a record of every box and window call, faults injected by operation and
// call number, scripted free space, and a ledger of handles and buffers.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/forwarding_system.h"
#include "platform/posix/posix_registry_system.h"

namespace parcelo {

// Every file and disk operation of the System.
enum class Op {
  OpenRead, Create, Read, Write, Close, Find, Remove, FreeBytes, Allocate,
  CreateNew, Rename, SameFile, List, NameCheck, Lock, DriveType,
};

struct Box {
  WindowHandle owner;
  std::string text;
  std::string caption;
  unsigned style;
};

// It changes two tables: files (faults, the ledger) and windows (all of them made up here);
// the registry is the one given, else the one installed when it is made, else its own.
class TestSystem : public ForwardingFileSystem, public WindowSystem {
 public:
  explicit TestSystem(FileSystem* inner, RegistrySystem* registry = nullptr);
  System Tables() { return {this, registry_, this}; }

  // The nth call (from 1) of op fails with error; errno tells the same cause, as the
  // POSIX System leaves it.
  void FailCall(Op op, int n, std::uint32_t error) { faults_[{op, n}] = error; }
  int Calls(Op op) const;

  // Answers to boxes in order; an empty queue gives OK to a lone OK button and the
  // cautious answer (Cancel, No) otherwise. onBox, when set, answers instead.
  std::deque<int> answers;
  std::function<int(const Box&)> onBox;
  std::vector<Box> boxes;

  // Free bytes returned by the next measurements; when empty, the real drive answers.
  std::deque<std::uint64_t> freeBytes;

  // Called before every counted operation, with its call number.
  std::function<void(Op, int)> beforeCall;

  // Window calls: "text <id> <text>", "range <min> <max>", "pos <n>", "delta <n>",
  // "tip <id> <text>", "close", "sound <alias>".
  std::vector<std::string> windowCalls;
  std::vector<WindowHandle> closedWindows;
  std::vector<std::string> TextsOf(int id) const;
  int Deltas() const;

  // Dialogs: every item's text, check, enabled state and list, by dialog and id.
  struct Item {
    std::string text;
    bool checked = false;
    bool enabled = true;
    std::vector<std::string> list;
    int selection = -1;
    bool hasTip = false;
  };
  std::map<std::pair<WindowHandle, int>, Item> items;
  Item& ItemOf(WindowHandle dialog, int id) { return items[{dialog, id}]; }

  // Dialogs made, by resource; onCreate runs as WM_INITDIALOG would, onModal while a modal
  // dialog is up. Other calls land in dialogCalls: "modal <r>", "end <d> <result>",
  // "destroy <d>", "topmost <d> <0|1>", "help contents", "help context", "shell <address>",
  // "worker", "quit"; <d> is the resource of the dialog.
  std::vector<std::pair<int, WindowHandle>> dialogs;
  std::function<void(int, WindowHandle)> onCreate;
  std::function<void(int, WindowHandle)> onModal;
  std::function<void(WindowHandle)> onClose;  // WM_CLOSE, after it is recorded
  std::function<void(WindowHandle)> onDestroy;
  std::function<void(WindowHandle, int)> onTextSet;  // an edit's change notification
  std::vector<std::string> dialogCalls;
  int ResourceOf(WindowHandle dialog) const;
  std::vector<WindowHandle> destroyed;

  // Scripted shell browsers: an empty choice means the user cancelled.
  std::string browsedFile;
  FolderChoice folderChoice = FolderChoice::Cancelled;
  std::string browsedFolder;

  // Chunks go the plain way, through the counted and faulted reads and writes above,
  // unless innerChunks hands them whole to the inner System.
  bool innerChunks = false;

  // The worker runs on the caller's thread unless starting it is to fail.
  bool workerStartFails = false;

  // As on Windows: the file system keeps the 8.3 names, and a run may not choose another.
  bool fileSystemShortNames = false;
  bool MakesShortNames() override { return !fileSystemShortNames && inner_.MakesShortNames(); }

  // Ledger: what is open or allocated now, and releases of what was not held.
  std::set<FileHandle> openFiles;
  std::set<void*> liveBuffers;
  int badReleases = 0;

  FileHandle OpenForReading(const std::string& path, std::uint32_t* error) override;
  FileHandle CreateForWriting(const std::string& path, std::uint32_t* error) override;
  IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) override;
  IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count) override;
  void CloseFile(FileHandle file) override;
  ChunkResult CopyChunk(FileHandle source, FileHandle piece, FileHandle backup, void* buffer,
                        std::uint32_t count, ChunkTap* tap) override;
  FileHandle CreateNewFile(const std::string& path, std::uint32_t* error) override;
  bool RenameNoReplace(const std::string& from, const std::string& to,
                       std::uint32_t* error) override;
  bool FindFile(const std::string& path, FoundFile* found) override;
  bool RemoveFile(const std::string& path) override;
  bool IsSameFile(const std::string& a, const std::string& b) override;
  std::vector<std::string> FolderNames(const std::string& folder) override;
  std::vector<FolderEntry> ListFolder(const std::string& folder) override;
  bool CanNameFile(const std::string& path) override;
  bool LockName(const std::string& folder, const std::string& name, NameLock* lock) override;
  DriveType DriveTypeOf(const std::string& root) override;
  std::uint64_t FreeBytes(const std::string& root) override;
  void* AllocateBuffer(std::uint32_t size) override;
  void FreeBuffer(void* buffer) override;
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;
  void SetItemText(WindowHandle dialog, int id, const std::string& text) override;
  void ProgressSetRange(WindowHandle dialog, int id, std::uint32_t minimum,
                        std::uint32_t maximum) override;
  void ProgressSetPos(WindowHandle dialog, int id, std::uint32_t position) override;
  void ProgressDelta(WindowHandle dialog, int id, std::int32_t delta) override;
  void UpdateToolTip(WindowHandle toolTip, WindowHandle dialog, int id,
                     const std::string& text) override;
  void CloseWindow(WindowHandle window) override;
  void PlaySystemSound(const std::string& alias) override;

  std::string GetItemText(WindowHandle dialog, int id) override;
  bool IsItemChecked(WindowHandle dialog, int id) override;
  void SetItemChecked(WindowHandle dialog, int id, bool checked) override;
  void EnableItem(WindowHandle dialog, int id, bool enabled) override;
  void FocusItem(WindowHandle dialog, int id) override;
  void ListInsert(WindowHandle dialog, int id, int index, const std::string& text) override;
  int ListSelection(WindowHandle dialog, int id) override;
  void ListSelect(WindowHandle dialog, int id, int index) override;
  void SetCaretToEnd(WindowHandle, int) override {}
  WindowHandle CreateModelessDialog(int resource) override;
  int RunModalDialog(int resource, WindowHandle owner) override;
  void EndModalDialog(WindowHandle dialog, int result) override;
  void DestroyDialog(WindowHandle dialog) override;
  void PostQuit() override;
  void SetTopmost(WindowHandle window, bool topmost) override;
  void SetSmallIcon(WindowHandle) override {}
  void ShowProgramIcon(WindowHandle, int) override {}
  void ReleaseProgramIcon(WindowHandle, int) override {}
  void AcceptDroppedFiles(WindowHandle) override {}
  WindowHandle CreateToolTips(WindowHandle dialog) override { return dialog; }
  void AddToolTip(WindowHandle toolTip, WindowHandle dialog, int id,
                  const std::string& text) override;
  bool BrowseForFile(WindowHandle owner, const std::string& title, std::string* path) override;
  FolderChoice BrowseForFolder(WindowHandle owner, const std::string& title,
                               std::string* path) override;
  void ShowHelpContents(WindowHandle, const std::string&) override;
  void ShowContextHelp(WindowHandle, const std::string&, const std::uint32_t*) override;
  void ShellOpen(const std::string& address) override;
  bool StartWorker(int (*procedure)()) override;

 private:
  // Counts the call; true with *error set when it is to fail.
  bool Inject(Op op, std::uint32_t* error);

  PosixRegistrySystem ownRegistry_;
  RegistrySystem* registry_;
  std::map<Op, int> calls_;
  std::map<std::pair<Op, int>, std::uint32_t> faults_;
};

// Installs the test System's tables, or none.
inline void InstallSystem(TestSystem* test) {
  InstallSystem(test != nullptr ? test->Tables() : System{});
}

}  // namespace parcelo
