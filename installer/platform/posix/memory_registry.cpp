#include "platform/posix/memory_registry.h"

#include <cctype>

namespace qinstall {
namespace {

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

std::string MemoryRegistry::Path(RegistryHive hive, const std::string& subKey) {
  return (hive == RegistryHive::LocalMachine ? "HKLM" : "HKCU") + std::string("\\") +
         Upper(subKey);
}

RegistryKey MemoryRegistry::CreateKey(RegistryHive hive, const std::string& subKey) {
  if (subKey.empty() || subKey.front() == '\\' || subKey.back() == '\\' ||
      subKey.find("\\\\") != std::string::npos) {
    return kNoKey;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string path = Path(hive, subKey);
  for (std::size_t slash = path.find('\\', 5); slash != std::string::npos;
       slash = path.find('\\', slash + 1)) {
    keys_[path.substr(0, slash)];
  }
  keys_[path];
  open_[nextKey_] = path;
  return nextKey_++;
}

bool MemoryRegistry::SetString(RegistryKey key, const std::string& name, const std::string& value) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto open = open_.find(key);
  if (open == open_.end()) return false;
  const auto found = keys_.find(open->second);
  if (found == keys_.end()) return false;  // deleted while open
  found->second[Upper(name)] = value;
  return true;
}

void MemoryRegistry::CloseKey(RegistryKey key) {
  std::lock_guard<std::mutex> lock(mutex_);
  open_.erase(key);
}

bool MemoryRegistry::DeleteKey(RegistryHive hive, const std::string& subKey) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string path = Path(hive, subKey);
  const auto found = keys_.find(path);
  if (found == keys_.end()) return false;
  const auto next = std::next(found);
  if (next != keys_.end() && next->first.compare(0, path.size() + 1, path + "\\") == 0) {
    return false;
  }
  keys_.erase(found);
  return true;
}

bool MemoryRegistry::KeyExists(RegistryHive hive, const std::string& subKey) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return keys_.count(Path(hive, subKey)) != 0;
}

bool MemoryRegistry::QueryString(RegistryHive hive, const std::string& subKey,
                                 const std::string& name, std::string* value) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto key = keys_.find(Path(hive, subKey));
  if (key == keys_.end()) return false;
  const auto found = key->second.find(Upper(name));
  if (found == key->second.end()) return false;
  *value = found->second;
  return true;
}

void MemoryRegistry::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  keys_.clear();
  open_.clear();
}

}  // namespace qinstall
