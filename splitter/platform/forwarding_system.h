// A base for wrappers of one table: every call goes to the inner table, so a wrapper
// overrides only what it changes.
#pragma once

#include "platform/system.h"

namespace parcelo {

class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}

  FileHandle OpenForReading(const std::string& path, std::uint32_t* error) override {
    return inner_.OpenForReading(path, error);
  }
  FileHandle CreateForWriting(const std::string& path, std::uint32_t* error) override {
    return inner_.CreateForWriting(path, error);
  }
  IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) override {
    return inner_.ReadFile(file, buffer, count);
  }
  IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count) override {
    return inner_.WriteFile(file, data, count);
  }
  void CloseFile(FileHandle file) override { inner_.CloseFile(file); }
  ChunkResult CopyChunk(FileHandle source, FileHandle piece, FileHandle backup, void* buffer,
                        std::uint32_t count, ChunkTap* tap) override {
    return inner_.CopyChunk(source, piece, backup, buffer, count, tap);
  }
  FileHandle CreateNewFile(const std::string& path, std::uint32_t* error) override {
    return inner_.CreateNewFile(path, error);
  }
  bool RenameNoReplace(const std::string& from, const std::string& to,
                       std::uint32_t* error) override {
    return inner_.RenameNoReplace(from, to, error);
  }
  bool FindFile(const std::string& path, FoundFile* found) override {
    return inner_.FindFile(path, found);
  }
  bool RemoveFile(const std::string& path) override { return inner_.RemoveFile(path); }
  bool IsSameFile(const std::string& a, const std::string& b) override {
    return inner_.IsSameFile(a, b);
  }
  std::vector<std::string> FolderNames(const std::string& folder) override {
    return inner_.FolderNames(folder);
  }
  std::vector<FolderEntry> ListFolder(const std::string& folder) override {
    return inner_.ListFolder(folder);
  }
  bool NamesHaveCase() override { return inner_.NamesHaveCase(); }
  bool CanNameFile(const std::string& path) override { return inner_.CanNameFile(path); }
  bool MakesShortNames() override { return inner_.MakesShortNames(); }
  bool LockName(const std::string& folder, const std::string& name, NameLock* lock) override {
    return inner_.LockName(folder, name, lock);
  }
  void UnlockName(NameLock lock) override { inner_.UnlockName(lock); }
  bool ToOemText(const std::string& text, std::string* oem) override {
    return inner_.ToOemText(text, oem);
  }
  std::string FromOemText(const std::string& oem) override { return inner_.FromOemText(oem); }
  bool EqualIgnoringCase(const std::string& a, const std::string& b) override {
    return inner_.EqualIgnoringCase(a, b);
  }
  DriveType DriveTypeOf(const std::string& root) override { return inner_.DriveTypeOf(root); }
  std::uint64_t FreeBytes(const std::string& root) override { return inner_.FreeBytes(root); }
  std::uint32_t ClusterBytes(const std::string& root) override { return inner_.ClusterBytes(root); }
  void* AllocateBuffer(std::uint32_t size) override { return inner_.AllocateBuffer(size); }
  void FreeBuffer(void* buffer) override { inner_.FreeBuffer(buffer); }

 protected:
  FileSystem& inner_;
};

class ForwardingRegistrySystem : public RegistrySystem {
 public:
  explicit ForwardingRegistrySystem(RegistrySystem& inner) : inner_(inner) {}

  RegistryKey CreateMachineKey(const std::string& subKey, bool* created) override {
    return inner_.CreateMachineKey(subKey, created);
  }
  bool QueryDword(RegistryKey key, const std::string& name, std::uint32_t* value) override {
    return inner_.QueryDword(key, name, value);
  }
  bool SetDword(RegistryKey key, const std::string& name, std::uint32_t value) override {
    return inner_.SetDword(key, name, value);
  }
  void CloseKey(RegistryKey key) override { inner_.CloseKey(key); }

 protected:
  RegistrySystem& inner_;
};

class ForwardingWindowSystem : public WindowSystem {
 public:
  explicit ForwardingWindowSystem(WindowSystem& inner) : inner_(inner) {}

  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override {
    return inner_.ShowMessageBox(owner, text, caption, style);
  }
  void SetItemText(WindowHandle dialog, int id, const std::string& text) override {
    inner_.SetItemText(dialog, id, text);
  }
  void ProgressSetRange(WindowHandle dialog, int id, std::uint32_t minimum,
                        std::uint32_t maximum) override {
    inner_.ProgressSetRange(dialog, id, minimum, maximum);
  }
  void ProgressSetPos(WindowHandle dialog, int id, std::uint32_t position) override {
    inner_.ProgressSetPos(dialog, id, position);
  }
  void ProgressDelta(WindowHandle dialog, int id, std::int32_t delta) override {
    inner_.ProgressDelta(dialog, id, delta);
  }
  void UpdateToolTip(WindowHandle toolTip, WindowHandle dialog, int id,
                     const std::string& text) override {
    inner_.UpdateToolTip(toolTip, dialog, id, text);
  }
  void CloseWindow(WindowHandle window) override { inner_.CloseWindow(window); }
  void PlaySystemSound(const std::string& alias) override { inner_.PlaySystemSound(alias); }
  std::string GetItemText(WindowHandle dialog, int id) override {
    return inner_.GetItemText(dialog, id);
  }
  bool IsItemChecked(WindowHandle dialog, int id) override {
    return inner_.IsItemChecked(dialog, id);
  }
  void SetItemChecked(WindowHandle dialog, int id, bool checked) override {
    inner_.SetItemChecked(dialog, id, checked);
  }
  void EnableItem(WindowHandle dialog, int id, bool enabled) override {
    inner_.EnableItem(dialog, id, enabled);
  }
  void FocusItem(WindowHandle dialog, int id) override { inner_.FocusItem(dialog, id); }
  void ListInsert(WindowHandle dialog, int id, int index, const std::string& text) override {
    inner_.ListInsert(dialog, id, index, text);
  }
  int ListSelection(WindowHandle dialog, int id) override {
    return inner_.ListSelection(dialog, id);
  }
  void ListSelect(WindowHandle dialog, int id, int index) override {
    inner_.ListSelect(dialog, id, index);
  }
  void SetCaretToEnd(WindowHandle dialog, int id) override { inner_.SetCaretToEnd(dialog, id); }
  WindowHandle CreateModelessDialog(int resource) override {
    return inner_.CreateModelessDialog(resource);
  }
  int RunModalDialog(int resource, WindowHandle owner) override {
    return inner_.RunModalDialog(resource, owner);
  }
  void EndModalDialog(WindowHandle dialog, int result) override {
    inner_.EndModalDialog(dialog, result);
  }
  void DestroyDialog(WindowHandle dialog) override { inner_.DestroyDialog(dialog); }
  void PostQuit() override { inner_.PostQuit(); }
  void SetTopmost(WindowHandle window, bool topmost) override {
    inner_.SetTopmost(window, topmost);
  }
  void SetSmallIcon(WindowHandle window) override { inner_.SetSmallIcon(window); }
  void ShowProgramIcon(WindowHandle dialog, int id) override { inner_.ShowProgramIcon(dialog, id); }
  void ReleaseProgramIcon(WindowHandle dialog, int id) override {
    inner_.ReleaseProgramIcon(dialog, id);
  }
  void AcceptDroppedFiles(WindowHandle dialog) override { inner_.AcceptDroppedFiles(dialog); }
  WindowHandle CreateToolTips(WindowHandle dialog) override {
    return inner_.CreateToolTips(dialog);
  }
  void AddToolTip(WindowHandle toolTip, WindowHandle dialog, int id,
                  const std::string& text) override {
    inner_.AddToolTip(toolTip, dialog, id, text);
  }
  bool BrowseForFile(WindowHandle owner, const std::string& title, std::string* path) override {
    return inner_.BrowseForFile(owner, title, path);
  }
  FolderChoice BrowseForFolder(WindowHandle owner, const std::string& title,
                               std::string* path) override {
    return inner_.BrowseForFolder(owner, title, path);
  }
  void ShowHelpContents(WindowHandle window, const std::string& helpFile) override {
    inner_.ShowHelpContents(window, helpFile);
  }
  void ShowContextHelp(WindowHandle item, const std::string& helpFile,
                       const std::uint32_t* table) override {
    inner_.ShowContextHelp(item, helpFile, table);
  }
  void ShellOpen(const std::string& address) override { inner_.ShellOpen(address); }
  bool StartWorker(int (*procedure)()) override { return inner_.StartWorker(procedure); }

 protected:
  WindowSystem& inner_;
};

}  // namespace parcelo
