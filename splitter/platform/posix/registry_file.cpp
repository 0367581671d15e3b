#include "platform/posix/registry_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
  unreadable_ = false;
  problem_.clear();
  keys_.clear();
}

void RegistryFile::Load() {
  if (loaded_) return;
  loaded_ = true;
  unreadable_ = false;
  if (path_.empty()) return;
  std::FILE* in = std::fopen(path_.c_str(), "rb");
  if (in == nullptr) {
    if (errno != ENOENT) {
      unreadable_ = true;
      problem_ = path_ + ": " + std::strerror(errno);
    }
    return;
  }
  std::string text;
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, in)) > 0) text.append(chunk, got);
  if (std::ferror(in)) {
    unreadable_ = true;
    problem_ = path_ + ": " + std::strerror(errno);
  }
  std::fclose(in);
  if (!unreadable_) keys_ = ParseRegistryText(text);
}

bool RegistryFile::Save() {
  if (path_.empty()) return true;
  if (unreadable_) return false;
  // Written beside and renamed, so that a crash never leaves half a file.
  const std::string temporary = path_ + ".new";
  const std::string text = FormatRegistryText(keys_);
  std::FILE* out = std::fopen(temporary.c_str(), "wb");
  bool written = out != nullptr && std::fwrite(text.data(), 1, text.size(), out) == text.size();
  if (out != nullptr) written = std::fclose(out) == 0 && written;
  if (written) written = std::rename(temporary.c_str(), path_.c_str()) == 0;
  if (!written) {
    problem_ = path_ + ": " + std::strerror(errno);
    std::remove(temporary.c_str());
    return false;
  }
  problem_.clear();
  return true;
}

std::string RegistryFile::Problem() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return problem_;
}

RegistryKey RegistryFile::CreateKey(const std::string& subKey, bool* created) {
  std::lock_guard<std::mutex> lock(mutex_);
  Load();
  if (unreadable_) return kNoKey;
  const bool isNew = keys_.find(subKey) == keys_.end();
  if (isNew) {
    keys_[subKey];
    if (!Save()) {
      keys_.erase(subKey);
      return kNoKey;
    }
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

bool RegistryFile::SetDword(RegistryKey key, const std::string& name, std::uint32_t value) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto open = open_.find(key);
  if (open == open_.end()) return false;
  keys_[open->second][name] = value;
  return Save();
}

void RegistryFile::CloseKey(RegistryKey key) {
  std::lock_guard<std::mutex> lock(mutex_);
  open_.erase(key);
}

}  // namespace parcelo
