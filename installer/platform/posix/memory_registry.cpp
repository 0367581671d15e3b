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

MemoryRegistry::Values* MemoryRegistry::OpenValues(RegistryKey key) {
  const auto open = open_.find(key);
  if (open == open_.end()) return nullptr;
  const auto found = keys_.find(open->second);
  return found == keys_.end() ? nullptr : &found->second;  // null when deleted while open
}

bool MemoryRegistry::SetString(RegistryKey key, const std::string& name, const std::string& value) {
  return SetValue(key, name, RegistryValue{kRegSz, value + '\0'});
}

std::uint32_t MemoryRegistry::QueryValue(RegistryKey key, const std::string& name,
                                         RegistryValue* value) const {
  std::lock_guard<std::mutex> lock(mutex_);
  Values* values = const_cast<MemoryRegistry*>(this)->OpenValues(key);
  if (values == nullptr) return kErrorAccessDenied;
  const auto found = values->find(Upper(name));
  if (found == values->end()) return kErrorFileNotFound;
  *value = found->second;
  return 0;
}

bool MemoryRegistry::SetValue(RegistryKey key, const std::string& name, const RegistryValue& value) {
  std::lock_guard<std::mutex> lock(mutex_);
  Values* values = OpenValues(key);
  if (values == nullptr) return false;
  (*values)[Upper(name)] = value;
  return true;
}

bool MemoryRegistry::DeleteValue(RegistryKey key, const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  Values* values = OpenValues(key);
  return values != nullptr && values->erase(Upper(name)) == 1;
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
  const std::string below = path + "\\";
  const auto child = keys_.lower_bound(below);
  if (child != keys_.end() && child->first.compare(0, below.size(), below) == 0) return false;
  keys_.erase(found);
  return true;
}

std::uint32_t MemoryRegistry::DeleteKeyTree(RegistryHive hive, const std::string& subKey) {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::string path = Path(hive, subKey);
  const auto found = keys_.find(path);
  if (found == keys_.end()) return kErrorFileNotFound;
  keys_.erase(found);
  const std::string below = path + "\\";
  auto child = keys_.lower_bound(below);
  while (child != keys_.end() && child->first.compare(0, below.size(), below) == 0) {
    child = keys_.erase(child);
  }
  return 0;
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
  if (found == key->second.end() || found->second.type != kRegSz) return false;
  *value = found->second.data.substr(0, found->second.data.find('\0'));
  return true;
}

std::map<std::string, RegistryValue> MemoryRegistry::ValuesOf(RegistryHive hive,
                                                            const std::string& subKey) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto key = keys_.find(Path(hive, subKey));
  return key == keys_.end() ? Values{} : key->second;
}

void MemoryRegistry::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  keys_.clear();
  open_.clear();
}

}  // namespace qinstall
