// A base for wrappers of one table: every call goes to the inner table, so a wrapper
// overrides only what it changes.
#pragma once

#include "platform/system.h"

namespace qinstall {

class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}

  std::string WindowsFolder() override { return inner_.WindowsFolder(); }
  FileHandle OpenExistingForReading(const std::string& path, std::uint32_t* error) override {
    return inner_.OpenExistingForReading(path, error);
  }
  FileHandle CreateForWriting(const std::string& path, std::uint32_t* error) override {
    return inner_.CreateForWriting(path, error);
  }
  FileHandle CreateTemporaryBeside(const std::string& path, std::string* temporary,
                                   std::uint32_t* error) override {
    return inner_.CreateTemporaryBeside(path, temporary, error);
  }
  IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) override {
    return inner_.ReadFile(file, buffer, count);
  }
  IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count) override {
    return inner_.WriteFile(file, data, count);
  }
  bool FlushFile(FileHandle file, std::uint32_t* error) override {
    return inner_.FlushFile(file, error);
  }
  void CloseFile(FileHandle file) override { inner_.CloseFile(file); }
  bool PathExists(const std::string& path) override { return inner_.PathExists(path); }
  bool IsFolder(const std::string& path) override { return inner_.IsFolder(path); }
  PathKind KindOfPath(const std::string& path, bool followLinks) override {
    return inner_.KindOfPath(path, followLinks);
  }
  bool IsSameFile(const std::string& first, const std::string& second) override {
    return inner_.IsSameFile(first, second);
  }
  bool FileSize(const std::string& path, std::uint64_t* size) override {
    return inner_.FileSize(path, size);
  }
  bool CreateFolder(const std::string& path, std::uint32_t* error) override {
    return inner_.CreateFolder(path, error);
  }
  bool RemoveFolder(const std::string& path) override { return inner_.RemoveFolder(path); }
  bool CopyFileOver(const std::string& from, const std::string& to, std::uint32_t* error) override {
    return inner_.CopyFileOver(from, to, error);
  }
  bool RemoveFile(const std::string& path, std::uint32_t* error) override {
    return inner_.RemoveFile(path, error);
  }
  bool RenameFile(const std::string& from, const std::string& to, std::uint32_t* error) override {
    return inner_.RenameFile(from, to, error);
  }
  bool MoveOver(const std::string& from, const std::string& to, std::uint32_t* error) override {
    return inner_.MoveOver(from, to, error);
  }
  bool IsReadOnly(const std::string& path) override { return inner_.IsReadOnly(path); }
  void* AllocateMemory(std::size_t bytes) override { return inner_.AllocateMemory(bytes); }

 protected:
  FileSystem& inner_;
};

class ForwardingRegistrySystem : public RegistrySystem {
 public:
  explicit ForwardingRegistrySystem(RegistrySystem& inner) : inner_(inner) {}

  RegistryKey CreateKey(RegistryHive hive, const std::string& subKey,
                        std::uint32_t* error) override {
    return inner_.CreateKey(hive, subKey, error);
  }
  bool SetString(RegistryKey key, const std::string& name, const std::string& value) override {
    return inner_.SetString(key, name, value);
  }
  std::uint32_t QueryValue(RegistryKey key, const std::string& name,
                           RegistryValue* value) override {
    return inner_.QueryValue(key, name, value);
  }
  bool SetValue(RegistryKey key, const std::string& name, const RegistryValue& value) override {
    return inner_.SetValue(key, name, value);
  }
  bool DeleteValue(RegistryKey key, const std::string& name) override {
    return inner_.DeleteValue(key, name);
  }
  void CloseKey(RegistryKey key) override { inner_.CloseKey(key); }
  bool DeleteKey(RegistryHive hive, const std::string& subKey) override {
    return inner_.DeleteKey(hive, subKey);
  }
  bool KeyExists(RegistryHive hive, const std::string& subKey) override {
    return inner_.KeyExists(hive, subKey);
  }
  std::uint32_t DeleteKeyTree(RegistryHive hive, const std::string& subKey) override {
    return inner_.DeleteKeyTree(hive, subKey);
  }

 protected:
  RegistrySystem& inner_;
};

class ForwardingWindowSystem : public WindowSystem {
 public:
  explicit ForwardingWindowSystem(WindowSystem& inner) : inner_(inner) {}

  std::uint32_t PlatformId() override { return inner_.PlatformId(); }
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override {
    return inner_.ShowMessageBox(owner, text, caption, style);
  }
  WindowHandle CreateModelessDialog(int resource) override {
    return inner_.CreateModelessDialog(resource);
  }
  void DestroyDialog(WindowHandle dialog) override { inner_.DestroyDialog(dialog); }
  void CloseWindow(WindowHandle window) override { inner_.CloseWindow(window); }
  void PostQuit(int code) override { inner_.PostQuit(code); }
  void SetCaption(WindowHandle window, const std::string& text) override {
    inner_.SetCaption(window, text);
  }
  void SetCaptionIcon(WindowHandle window, int iconResource) override {
    inner_.SetCaptionIcon(window, iconResource);
  }
  void SetItemText(WindowHandle dialog, int id, const std::string& text) override {
    inner_.SetItemText(dialog, id, text);
  }
  std::string GetItemText(WindowHandle dialog, int id, std::size_t maxChars) override {
    return inner_.GetItemText(dialog, id, maxChars);
  }
  void SetItemChecked(WindowHandle dialog, int id, bool checked) override {
    inner_.SetItemChecked(dialog, id, checked);
  }
  void EnableItem(WindowHandle dialog, int id, bool enabled) override {
    inner_.EnableItem(dialog, id, enabled);
  }
  void FocusItem(WindowHandle dialog, int id) override { inner_.FocusItem(dialog, id); }
  void SetCaretToEnd(WindowHandle dialog, int id) override { inner_.SetCaretToEnd(dialog, id); }
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
  FolderChoice BrowseForFolder(WindowHandle owner, const std::string& title, BrowseRoot root,
                               std::string* path) override {
    return inner_.BrowseForFolder(owner, title, root, path);
  }
  bool SaveShellLink(const ShellLink& link) override { return inner_.SaveShellLink(link); }
  bool StartWorker(void (*procedure)()) override { return inner_.StartWorker(procedure); }

 protected:
  WindowSystem& inner_;
};

}  // namespace qinstall
