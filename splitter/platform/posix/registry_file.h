// The registry of the POSIX System: keys of DWORD values, kept in a text file in the
// layout of a .reg export so that people can read and edit it.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "platform/system.h"

namespace parcelo {

class RegistryFile {
 public:
  // An empty path keeps the keys in memory only.
  void SetPath(const std::string& path);

  RegistryKey CreateKey(const std::string& subKey, bool* created);
  bool QueryDword(RegistryKey key, const std::string& name, std::uint32_t* value);
  // False when the file could not be written: the value then holds in memory only.
  bool SetDword(RegistryKey key, const std::string& name, std::uint32_t value);
  void CloseKey(RegistryKey key);
  // Why the file could not be read or written ("PATH: reason"); empty after a success.
  std::string Problem() const;

 private:
  using Values = std::map<std::string, std::uint32_t>;

  void Load();
  bool Save();  // false with problem_ set

  // A file that is there but cannot be read is never written over: it may hold settings.
  std::string path_;
  bool loaded_ = false;
  bool unreadable_ = false;
  std::string problem_;
  std::map<std::string, Values> keys_;
  std::map<RegistryKey, std::string> open_;
  RegistryKey nextKey_ = 1;
  mutable std::mutex mutex_;
};

// The text of a registry file, and back. Unreadable lines are skipped.
std::string FormatRegistryText(const std::map<std::string, std::map<std::string, std::uint32_t>>& keys);
std::map<std::string, std::map<std::string, std::uint32_t>> ParseRegistryText(const std::string& text);

}  // namespace parcelo
