#include "platform/posix/registry_file.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace parcelo {

std::string FormatRegistryText(
    const std::map<std::string, std::map<std::string, std::uint32_t>>& keys) {
  std::string text = "REGEDIT4\n";
  for (const auto& [key, values] : keys) {
    text += "\n[HKEY_LOCAL_MACHINE\\" + key + "]\n";
    for (const auto& [name, value] : values) {
      char number[16];
      std::snprintf(number, sizeof number, "%08x", static_cast<unsigned>(value));
      text += "\"" + name + "\"=dword:" + number + "\n";
    }
  }
  return text;
}

std::map<std::string, std::map<std::string, std::uint32_t>> ParseRegistryText(
    const std::string& text) {
  static const std::string kHive = "HKEY_LOCAL_MACHINE\\";
  std::map<std::string, std::map<std::string, std::uint32_t>> keys;
  std::istringstream lines(text);
  std::string line;
  std::map<std::string, std::uint32_t>* current = nullptr;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.size() > 2 && line.front() == '[' && line.back() == ']') {
      std::string key = line.substr(1, line.size() - 2);
      if (key.compare(0, kHive.size(), kHive) == 0) key.erase(0, kHive.size());
      current = &keys[key];
      continue;
    }
    // "Name"=dword:0000abcd; names hold no quotes.
    const std::size_t close = line.find("\"=dword:");
    if (current == nullptr || line.size() < 2 || line.front() != '"' ||
        close == std::string::npos || close == 0) {
      continue;
    }
    const std::string digits = line.substr(close + 8);
    char* end = nullptr;
    const unsigned long value = std::strtoul(digits.c_str(), &end, 16);
    if (digits.empty() || digits.size() > 8 || *end != '\0') continue;
    (*current)[line.substr(1, close - 1)] = static_cast<std::uint32_t>(value);
  }
  return keys;
}

void RegistryFile::SetPath(const std::string& path) {
  std::lock_guard<std::mutex> lock(mutex_);
  path_ = path;
  loaded_ = false;
  keys_.clear();
}

void RegistryFile::Load() {
  if (loaded_) return;
  loaded_ = true;
  if (path_.empty()) return;
  std::ifstream in(path_, std::ios::binary);
  if (!in) return;
  std::ostringstream text;
  text << in.rdbuf();
  keys_ = ParseRegistryText(text.str());
}

void RegistryFile::Save() const {
  if (path_.empty()) return;
  // Written beside and renamed, so that a crash never leaves half a file.
  const std::string temporary = path_ + ".new";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return;
    out << FormatRegistryText(keys_);
    if (!out.flush()) return;
  }
  std::rename(temporary.c_str(), path_.c_str());
}

RegistryKey RegistryFile::CreateKey(const std::string& subKey, bool* created) {
  std::lock_guard<std::mutex> lock(mutex_);
  Load();
  const bool isNew = keys_.find(subKey) == keys_.end();
  if (isNew) {
    keys_[subKey];
    Save();
  }
  if (created != nullptr) *created = isNew;
  const RegistryKey key = nextKey_++;
  open_[key] = subKey;
  return key;
}

bool RegistryFile::QueryDword(RegistryKey key, const std::string& name, std::uint32_t* value) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto open = open_.find(key);
  if (open == open_.end()) return false;
  const Values& values = keys_[open->second];
  const auto found = values.find(name);
  if (found == values.end()) return false;
  *value = found->second;
  return true;
}

void RegistryFile::SetDword(RegistryKey key, const std::string& name, std::uint32_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto open = open_.find(key);
  if (open == open_.end()) return;
  keys_[open->second][name] = value;
  Save();
}

void RegistryFile::CloseKey(RegistryKey key) {
  std::lock_guard<std::mutex> lock(mutex_);
  open_.erase(key);
}

}  // namespace parcelo
