#include "test_system.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace qinstall {
namespace {
System& Real() { return PlatformSystem(); }

std::string Handle(WindowHandle window) {
  return std::to_string(reinterpret_cast<std::uintptr_t>(window));
}
}  // namespace

bool TestSystem::Faulted(const std::string& operation, std::uint32_t* error) {
  const int call = ++operationCalls[operation];
  const auto fault = faults.find(operation);
  if (fault == faults.end()) return false;
  const auto failing = fault->second.find(call);
  if (failing == fault->second.end()) return false;
  if (error != nullptr) *error = failing->second;
  return true;
}

FileHandle TestSystem::OpenExistingForReading(const std::string& path, std::uint32_t* error) {
  const FileHandle file = Real().OpenExistingForReading(path, error);
  if (file != kInvalidFile) ++openFiles;
  return file;
}

FileHandle TestSystem::CreateForWriting(const std::string& path, std::uint32_t* error) {
  if (Faulted("CreateForWriting", error)) return kInvalidFile;
  const FileHandle file = Real().CreateForWriting(path, error);
  if (file != kInvalidFile) ++openFiles;
  return file;
}

IoResult TestSystem::ReadFile(FileHandle file, void* buffer, std::uint32_t count) {
  if (++readCalls == failReadCall) return IoResult{false, 0, 23};
  return Real().ReadFile(file, buffer, count);
}

IoResult TestSystem::WriteFile(FileHandle file, const void* data, std::uint32_t count) {
  std::uint32_t error = 0;
  if (Faulted("WriteFile", &error)) return IoResult{false, 0, error};
  return Real().WriteFile(file, data, count);
}

void TestSystem::CloseFile(FileHandle file) {
  --openFiles;
  Real().CloseFile(file);
}

bool TestSystem::PathExists(const std::string& path) { return Real().PathExists(path); }
bool TestSystem::IsFolder(const std::string& path) { return Real().IsFolder(path); }
bool TestSystem::CreateFolder(const std::string& path, std::uint32_t* error) {
  if (Faulted("CreateFolder", error)) return false;
  return Real().CreateFolder(path, error);
}
bool TestSystem::RemoveFolder(const std::string& path) {
  removals.push_back("folder " + path);
  if (Faulted("RemoveFolder", nullptr)) return false;
  return Real().RemoveFolder(path);
}
bool TestSystem::CopyFileOver(const std::string& from, const std::string& to,
                              std::uint32_t* error) {
  if (Faulted("CopyFileOver", error)) return false;
  return Real().CopyFileOver(from, to, error);
}
bool TestSystem::RemoveFile(const std::string& path, std::uint32_t* error) {
  removals.push_back("file " + path);
  if (Faulted("RemoveFile", error)) return false;
  if (inUse.count(path) != 0 && Real().PathExists(path)) {
    *error = kErrorSharingViolation;
    return false;
  }
  return Real().RemoveFile(path, error);
}
bool TestSystem::RenameFile(const std::string& from, const std::string& to,
                            std::uint32_t* error) {
  if (Faulted("RenameFile", error)) return false;
  return Real().RenameFile(from, to, error);
}
bool TestSystem::IsReadOnly(const std::string& path) { return Real().IsReadOnly(path); }

void* TestSystem::AllocateMemory(std::size_t bytes) {
  if (++allocations == failAllocation) return nullptr;
  return std::malloc(bytes);
}

RegistryKey TestSystem::CreateKey(RegistryHive hive, const std::string& subKey,
                                  std::uint32_t* error) {
  if (Faulted("CreateKey", error)) return kNoKey;
  return Real().CreateKey(hive, subKey, error);
}
bool TestSystem::SetString(RegistryKey key, const std::string& name, const std::string& value) {
  if (Faulted("SetString", nullptr)) return false;
  return Real().SetString(key, name, value);
}
std::uint32_t TestSystem::QueryValue(RegistryKey key, const std::string& name,
                                     RegistryValue* value) {
  std::uint32_t error = 0;
  if (Faulted("QueryValue", &error)) return error;
  return Real().QueryValue(key, name, value);
}
bool TestSystem::SetValue(RegistryKey key, const std::string& name, const RegistryValue& value) {
  if (Faulted("SetValue", nullptr)) return false;
  return Real().SetValue(key, name, value);
}
bool TestSystem::DeleteValue(RegistryKey key, const std::string& name) {
  if (Faulted("DeleteValue", nullptr)) return false;
  return Real().DeleteValue(key, name);
}
void TestSystem::CloseKey(RegistryKey key) { Real().CloseKey(key); }
bool TestSystem::DeleteKey(RegistryHive hive, const std::string& subKey) {
  if (Faulted("DeleteKey", nullptr)) return false;
  return Real().DeleteKey(hive, subKey);
}
bool TestSystem::KeyExists(RegistryHive hive, const std::string& subKey) {
  return Real().KeyExists(hive, subKey);
}
std::uint32_t TestSystem::DeleteKeyTree(RegistryHive hive, const std::string& subKey) {
  removals.push_back((hive == RegistryHive::CurrentUser ? "key HKCU\\" : "key HKLM\\") + subKey);
  std::uint32_t error = 0;
  if (Faulted("DeleteKeyTree", &error)) return error;
  return Real().DeleteKeyTree(hive, subKey);
}
bool TestSystem::SaveShellLink(const ShellLink& link) {
  if (Faulted("SaveShellLink", nullptr)) return false;
  return Real().SaveShellLink(link);
}

int TestSystem::ShowMessageBox(WindowHandle owner, const std::string& text,
                               const std::string& caption, unsigned style) {
  boxes.push_back({owner, text, caption, style});
  if (answer) return answer(boxes.back());
  if (!answers.empty()) {
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  if ((style & 0xF) == kMbRetryCancel) return kIdCancel;
  return (style & 0xF) == kMbYesNo ? kIdYes : kIdOk;
}

WindowHandle TestSystem::CreateModelessDialog(int resource) {
  calls.push_back("CreateModelessDialog " + std::to_string(resource));
  WindowHandle dialog = reinterpret_cast<WindowHandle>(static_cast<std::uintptr_t>(resource) * 0x100);
  if (onCreate) onCreate(resource, dialog);
  return dialog;
}
void TestSystem::DestroyDialog(WindowHandle dialog) { calls.push_back("DestroyDialog " + Handle(dialog)); }
void TestSystem::CloseWindow(WindowHandle window) {
  calls.push_back("CloseWindow " + Handle(window));
  if (onClose) onClose(window);
}
void TestSystem::PostQuit(int code) { calls.push_back("PostQuit " + std::to_string(code)); }
void TestSystem::SetCaption(WindowHandle, const std::string& text) {
  calls.push_back("SetCaption " + text);
}
void TestSystem::SetCaptionIcon(WindowHandle, int iconResource) {
  calls.push_back("SetCaptionIcon " + std::to_string(iconResource));
}
void TestSystem::SetItemText(WindowHandle, int id, const std::string& text) {
  calls.push_back("SetItemText " + std::to_string(id) + " " + text);
  for (auto& item : itemTexts) {
    if (item.first == id) {
      item.second = text;
      return;
    }
  }
  itemTexts.emplace_back(id, text);
}
std::string TestSystem::GetItemText(WindowHandle, int id, std::size_t maxChars) {
  for (const auto& item : itemTexts) {
    if (item.first == id) return item.second.substr(0, maxChars);
  }
  return {};
}
void TestSystem::SetItemChecked(WindowHandle, int id, bool checked) {
  calls.push_back("SetItemChecked " + std::to_string(id) + " " + (checked ? "1" : "0"));
}
void TestSystem::EnableItem(WindowHandle, int id, bool enabled) {
  calls.push_back("EnableItem " + std::to_string(id) + " " + (enabled ? "1" : "0"));
}
void TestSystem::FocusItem(WindowHandle, int id) { calls.push_back("FocusItem " + std::to_string(id)); }
void TestSystem::SetCaretToEnd(WindowHandle, int id) {
  calls.push_back("SetCaretToEnd " + std::to_string(id));
}
void TestSystem::ProgressSetRange(WindowHandle, int id, std::uint32_t minimum,
                                  std::uint32_t maximum) {
  calls.push_back("ProgressSetRange " + std::to_string(id) + " " + std::to_string(minimum) + " " +
                  std::to_string(maximum));
}
void TestSystem::ProgressSetPos(WindowHandle, int id, std::uint32_t position) {
  calls.push_back("ProgressSetPos " + std::to_string(id) + " " + std::to_string(position));
}
void TestSystem::ProgressDelta(WindowHandle, int id, std::int32_t delta) {
  calls.push_back("ProgressDelta " + std::to_string(id) + " " + std::to_string(delta));
}
FolderChoice TestSystem::BrowseForFolder(WindowHandle, const std::string& title, BrowseRoot root,
                                         std::string* path) {
  calls.push_back("BrowseForFolder " + title + (root == BrowseRoot::Programs ? " Programs" : " Desktop"));
  if (browseResult == FolderChoice::Chosen) *path = browsePath;
  return browseResult;
}
bool TestSystem::StartWorker(void (*procedure)()) {
  calls.push_back("StartWorker");
  procedure();
  return true;
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
