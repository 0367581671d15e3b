#include "test_system.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace qinstall {

FileHandle TestSystem::OpenExistingForReading(const std::string& path, std::uint32_t* error) {
  const FileHandle file = PlatformSystem().OpenExistingForReading(path, error);
  if (file != kInvalidFile) ++openFiles;
  return file;
}

IoResult TestSystem::ReadFile(FileHandle file, void* buffer, std::uint32_t count) {
  if (++readCalls == failReadCall) return IoResult{false, 0, 23};
  return PlatformSystem().ReadFile(file, buffer, count);
}

void TestSystem::CloseFile(FileHandle file) {
  --openFiles;
  PlatformSystem().CloseFile(file);
}

void* TestSystem::AllocateMemory(std::size_t bytes) {
  if (++allocations == failAllocation) return nullptr;
  return std::malloc(bytes);
}

int TestSystem::ShowMessageBox(WindowHandle owner, const std::string& text,
                               const std::string& caption, unsigned style) {
  boxes.push_back({owner, text, caption, style});
  return kIdOk;
}

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "qinstall-XXXXXX").string();
  if (mkdtemp(&pattern[0]) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

std::string TempFolder::Write(const std::string& name, const std::string& bytes) const {
  const std::string path = path_ + "/" + name;
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qinstall
