#include "drive_test_system.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>

namespace qinstall {
namespace fs = std::filesystem;
namespace {
std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}
std::string KeyName(RegistryHive hive, const std::string& subKey) {
  return Upper((hive == RegistryHive::CurrentUser ? "HKCU\\" : "HKLM\\") + subKey);
}
}  // namespace

DriveTestSystem::DriveTestSystem() { windowsFolder = "C:\\WINDOWS"; }

std::string DriveTestSystem::Host(const std::string& dosPath) const {
  if (dosPath.size() < 2 || std::toupper(static_cast<unsigned char>(dosPath[0])) != 'C' ||
      dosPath[1] != ':') {
    return drive_.path() + "/unmapped-drive/" + dosPath;
  }
  std::string host = drive_.path();
  for (std::size_t i = 2; i < dosPath.size(); ++i) host += dosPath[i] == '\\' ? '/' : dosPath[i];
  return host;
}

void DriveTestSystem::Put(const std::string& dosPath, const std::string& bytes) {
  const fs::path host = Host(dosPath);
  fs::create_directories(host.parent_path());
  std::ofstream(host, std::ios::binary) << bytes;
}

void DriveTestSystem::MakeFolder(const std::string& dosPath) { fs::create_directories(Host(dosPath)); }

void DriveTestSystem::MakeReadOnly(const std::string& dosPath) {
  fs::permissions(Host(dosPath), fs::perms::owner_write | fs::perms::group_write |
                                     fs::perms::others_write, fs::perm_options::remove);
}

bool DriveTestSystem::Exists(const std::string& dosPath) const {
  std::error_code error;
  return fs::exists(Host(dosPath), error);
}

FileHandle DriveTestSystem::OpenExistingForReading(const std::string& path, std::uint32_t* error) {
  return TestSystem::OpenExistingForReading(Host(path), error);
}

bool DriveTestSystem::PathExists(const std::string& path) { return Exists(path); }

bool DriveTestSystem::IsFolder(const std::string& path) {
  std::error_code error;
  return fs::is_directory(Host(path), error);
}

// As Wine shows the DOS read-only mark: a file nobody may write.
bool DriveTestSystem::IsReadOnly(const std::string& path) {
  struct stat info;
  return stat(Host(path).c_str(), &info) == 0 && (info.st_mode & 0222) == 0;
}

bool DriveTestSystem::RemoveFile(const std::string& path, std::uint32_t* error) {
  removals.push_back("file " + path);
  const std::string host = Host(path);
  struct stat info;
  if (lstat(host.c_str(), &info) != 0) {
    *error = fs::exists(fs::path(host).parent_path()) ? kErrorFileNotFound : kErrorPathNotFound;
    return false;
  }
  if (S_ISDIR(info.st_mode) || IsReadOnly(path)) {
    *error = kErrorAccessDenied;
    return false;
  }
  if (inUse.count(path) != 0) {
    *error = kErrorSharingViolation;
    return false;
  }
  if (unlink(host.c_str()) != 0) {
    *error = kErrorAccessDenied;
    return false;
  }
  return true;
}

bool DriveTestSystem::RemoveFolder(const std::string& path) {
  removals.push_back("folder " + path);
  return rmdir(Host(path).c_str()) == 0;
}

std::uint32_t DriveTestSystem::DeleteKeyTree(RegistryHive hive, const std::string& subKey) {
  const std::string key = KeyName(hive, subKey);
  removals.push_back("key " + key);
  if (keyError != 0) return keyError;
  if (keys_.count(key) == 0) return kErrorFileNotFound;
  for (auto it = keys_.begin(); it != keys_.end();) {
    it = (*it == key || it->rfind(key + "\\", 0) == 0) ? keys_.erase(it) : std::next(it);
  }
  return 0;
}

void DriveTestSystem::AddKey(const std::string& key) { keys_.insert(Upper(key)); }
bool DriveTestSystem::HasKey(const std::string& key) const { return keys_.count(Upper(key)) != 0; }

}  // namespace qinstall
