// The installer's System on POSIX: real files behind a DOS drive table, like Wine's
// ("C:" names a host folder, backslashes separate), a registry kept in memory, and shell
// links written as small text files (see link_file.h). There are no windows here.
#pragma once

#include <map>
#include <mutex>
#include <string>

#include "platform/posix/memory_registry.h"
#include "platform/system.h"

namespace qinstall {

class PosixSystem : public System {
 public:
  // Maps a drive letter to a host folder; an empty folder unmaps it.
  void MapDrive(char letter, const std::string& hostFolder);
  // The host folder that relative paths start from; empty: the process's own.
  void SetCurrentFolder(const std::string& hostFolder);
  // Forgets the drives, the current folder and the registry (tests).
  void Reset();

  // The host path of a path the logic uses: "X:\..." through the drive table, a path that
  // begins with "/" as it is, any other relative to the current folder. False for an
  // unmapped drive or an empty path.
  bool ToHostPath(const std::string& path, std::string* hostPath) const;

  MemoryRegistry& Registry() { return registry_; }

  FileHandle OpenExistingForReading(const std::string& path, std::uint32_t* error) override;
  FileHandle CreateForWriting(const std::string& path, std::uint32_t* error) override;
  IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) override;
  IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count) override;
  void CloseFile(FileHandle file) override;
  bool PathExists(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  bool CreateFolder(const std::string& path, std::uint32_t* error) override;
  bool RemoveFolder(const std::string& path) override;
  bool CopyFileOver(const std::string& from, const std::string& to,
                    std::uint32_t* error) override;
  bool RemoveFile(const std::string& path, std::uint32_t* error) override;
  bool RenameFile(const std::string& from, const std::string& to,
                  std::uint32_t* error) override;
  // The DOS read-only mark as Wine shows it: no one may write the file or folder.
  bool IsReadOnly(const std::string& path) override;
  void* AllocateMemory(std::size_t bytes) override;

  RegistryKey CreateKey(RegistryHive hive, const std::string& subKey,
                        std::uint32_t* error) override;
  bool SetString(RegistryKey key, const std::string& name, const std::string& value) override;
  std::uint32_t QueryValue(RegistryKey key, const std::string& name,
                           RegistryValue* value) override {
    return registry_.QueryValue(key, name, value);
  }
  bool SetValue(RegistryKey key, const std::string& name, const RegistryValue& value) override {
    return registry_.SetValue(key, name, value);
  }
  bool DeleteValue(RegistryKey key, const std::string& name) override {
    return registry_.DeleteValue(key, name);
  }
  void CloseKey(RegistryKey key) override;
  bool DeleteKey(RegistryHive hive, const std::string& subKey) override;
  bool KeyExists(RegistryHive hive, const std::string& subKey) override {
    return registry_.KeyExists(hive, subKey);
  }
  std::uint32_t DeleteKeyTree(RegistryHive hive, const std::string& subKey) override {
    return registry_.DeleteKeyTree(hive, subKey);
  }

  bool SaveShellLink(const ShellLink& link) override;

  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;

 private:
  mutable std::mutex mutex_;
  std::map<char, std::string> drives_;
  std::string currentFolder_;
  MemoryRegistry registry_;
};

// The host's words for an error code this System reported: those of the errno it stands for.
std::string HostErrorText(std::uint32_t code);

// The one POSIX System, which PlatformSystem() also returns.
PosixSystem& HostSystem();

}  // namespace qinstall
