// The test System with drive C: mapped to a temporary folder, for the uninstaller's DOS
// paths: real files below it, a registry in memory, and files scripted to be "in use"
// (a file held open by another program cannot be had on a POSIX file system).
#pragma once

#include <map>
#include <set>
#include <string>

#include "test_system.h"

namespace qinstall {

class DriveTestSystem : public TestSystem {
 public:
  DriveTestSystem();

  // The host path of "C:\..." (separators turned, case kept).
  std::string Host(const std::string& dosPath) const;
  // Writes a file at a DOS path, making its folders.
  void Put(const std::string& dosPath, const std::string& bytes = "x");
  void MakeFolder(const std::string& dosPath);
  void MakeReadOnly(const std::string& dosPath);
  bool Exists(const std::string& dosPath) const;

  FileHandle OpenExistingForReading(const std::string& path, std::uint32_t* error) override;
  bool PathExists(const std::string& path) override;
  bool IsFolder(const std::string& path) override;
  bool IsReadOnly(const std::string& path) override;
  bool RemoveFile(const std::string& path, std::uint32_t* error) override;
  bool RemoveFolder(const std::string& path) override;
  std::uint32_t DeleteKeyTree(RegistryHive hive, const std::string& subKey) override;

  // Keys as "HKCU\Software\A" or "HKLM\SOFTWARE\..."; compared without case.
  void AddKey(const std::string& key);
  bool HasKey(const std::string& key) const;

  std::set<std::string> inUse;          // DOS paths whose removal is a sharing violation
  std::vector<std::string> removals;    // every removal asked for, "file X", "folder X", "key X"
  std::uint32_t keyError = 0;           // when set, every key deletion fails with it

 private:
  TempFolder drive_;
  std::set<std::string> keys_;  // upper case
};

}  // namespace qinstall
