#include "test_system.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace qinstall {
namespace {
std::string Handle(WindowHandle window) {
  return std::to_string(reinterpret_cast<std::uintptr_t>(window));
}
}  // namespace

bool FaultPlan::Faulted(const std::string& operation, std::uint32_t* error) {
  const int call = ++operationCalls[operation];
  const auto fault = faults.find(operation);
  if (fault == faults.end()) return false;
  const auto failing = fault->second.find(call);
  if (failing == fault->second.end()) return false;
  if (error != nullptr) *error = failing->second;
  return true;
}

FileHandle TestFileSystem::OpenExistingForReading(const std::string& path, std::uint32_t* error) {
  if (plan_.Faulted("OpenExistingForReading", error)) return kInvalidFile;
  const FileHandle file = inner_.OpenExistingForReading(path, error);
  if (file != kInvalidFile) ++openFiles;
  return file;
}

FileHandle TestFileSystem::CreateForWriting(const std::string& path, std::uint32_t* error) {
  if (plan_.Faulted("CreateForWriting", error)) return kInvalidFile;
  const FileHandle file = inner_.CreateForWriting(path, error);
  if (file != kInvalidFile) ++openFiles;
  return file;
}

FileHandle TestFileSystem::CreateTemporaryBeside(const std::string& path, std::string* temporary,
                                                 std::uint32_t* error) {
  if (plan_.Faulted("CreateTemporaryBeside", error)) return kInvalidFile;
  const FileHandle file = inner_.CreateTemporaryBeside(path, temporary, error);
  if (file != kInvalidFile) ++openFiles;
  return file;
}

IoResult TestFileSystem::ReadFile(FileHandle file, void* buffer, std::uint32_t count) {
  if (++readCalls == failReadCall) return IoResult{false, 0, 23};
  return inner_.ReadFile(file, buffer, count);
}

IoResult TestFileSystem::WriteFile(FileHandle file, const void* data, std::uint32_t count) {
  std::uint32_t error = 0;
  if (plan_.Faulted("WriteFile", &error)) return IoResult{false, 0, error};
  return inner_.WriteFile(file, data, count);
}

bool TestFileSystem::FlushFile(FileHandle file, std::uint32_t* error) {
  if (plan_.Faulted("FlushFile", error)) return false;
  return inner_.FlushFile(file, error);
}

void TestFileSystem::CloseFile(FileHandle file) {
  --openFiles;
  inner_.CloseFile(file);
}

bool TestFileSystem::CreateFolder(const std::string& path, std::uint32_t* error) {
  if (plan_.Faulted("CreateFolder", error)) return false;
  return inner_.CreateFolder(path, error);
}
bool TestFileSystem::RemoveFolder(const std::string& path) {
  plan_.removals.push_back("folder " + path);
  if (plan_.Faulted("RemoveFolder", nullptr)) return false;
  return inner_.RemoveFolder(path);
}
bool TestFileSystem::CopyFileOver(const std::string& from, const std::string& to,
                              std::uint32_t* error) {
  if (plan_.Faulted("CopyFileOver", error)) return false;
  return inner_.CopyFileOver(from, to, error);
}
bool TestFileSystem::RemoveFile(const std::string& path, std::uint32_t* error) {
  plan_.removals.push_back("file " + path);
  if (plan_.Faulted("RemoveFile", error)) return false;
  if (inUse.count(path) != 0 && inner_.PathExists(path)) {
    *error = kErrorSharingViolation;
    return false;
  }
  return inner_.RemoveFile(path, error);
}
bool TestFileSystem::RenameFile(const std::string& from, const std::string& to,
                            std::uint32_t* error) {
  if (plan_.Faulted("RenameFile", error)) return false;
  return inner_.RenameFile(from, to, error);
}

bool TestFileSystem::MoveOver(const std::string& from, const std::string& to,
                              std::uint32_t* error) {
  if (plan_.Faulted("MoveOver", error)) return false;
  return inner_.MoveOver(from, to, error);
}

void* TestFileSystem::AllocateMemory(std::size_t bytes) {
  if (++allocations == failAllocation) return nullptr;
  return std::malloc(bytes);
}

RegistryKey TestRegistrySystem::CreateKey(RegistryHive hive, const std::string& subKey,
                                  std::uint32_t* error) {
  if (plan_.Faulted("CreateKey", error)) return kNoKey;
  return inner_.CreateKey(hive, subKey, error);
}
bool TestRegistrySystem::SetString(RegistryKey key, const std::string& name, const std::string& value) {
  if (plan_.Faulted("SetString", nullptr)) return false;
  return inner_.SetString(key, name, value);
}
std::uint32_t TestRegistrySystem::QueryValue(RegistryKey key, const std::string& name,
                                     RegistryValue* value) {
  std::uint32_t error = 0;
  if (plan_.Faulted("QueryValue", &error)) return error;
  return inner_.QueryValue(key, name, value);
}
bool TestRegistrySystem::SetValue(RegistryKey key, const std::string& name, const RegistryValue& value) {
  if (plan_.Faulted("SetValue", nullptr)) return false;
  return inner_.SetValue(key, name, value);
}
bool TestRegistrySystem::DeleteValue(RegistryKey key, const std::string& name) {
  if (plan_.Faulted("DeleteValue", nullptr)) return false;
  return inner_.DeleteValue(key, name);
}
bool TestRegistrySystem::DeleteKey(RegistryHive hive, const std::string& subKey) {
  if (plan_.Faulted("DeleteKey", nullptr)) return false;
  return inner_.DeleteKey(hive, subKey);
}
std::uint32_t TestRegistrySystem::DeleteKeyTree(RegistryHive hive, const std::string& subKey) {
  plan_.removals.push_back((hive == RegistryHive::CurrentUser ? "key HKCU\\" : "key HKLM\\") + subKey);
  std::uint32_t error = 0;
  if (plan_.Faulted("DeleteKeyTree", &error)) return error;
  return inner_.DeleteKeyTree(hive, subKey);
}
bool TestWindowSystem::SaveShellLink(const ShellLink& link) {
  if (plan_.Faulted("SaveShellLink", nullptr)) return false;
  return PlatformSystem().windows->SaveShellLink(link);
}

int TestWindowSystem::ShowMessageBox(WindowHandle owner, const std::string& text,
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

WindowHandle TestWindowSystem::CreateModelessDialog(int resource) {
  calls.push_back("CreateModelessDialog " + std::to_string(resource));
  WindowHandle dialog = reinterpret_cast<WindowHandle>(static_cast<std::uintptr_t>(resource) * 0x100);
  if (onCreate) onCreate(resource, dialog);
  return dialog;
}
void TestWindowSystem::DestroyDialog(WindowHandle dialog) { calls.push_back("DestroyDialog " + Handle(dialog)); }
void TestWindowSystem::CloseWindow(WindowHandle window) {
  calls.push_back("CloseWindow " + Handle(window));
  if (onClose) onClose(window);
}
void TestWindowSystem::PostQuit(int code) { calls.push_back("PostQuit " + std::to_string(code)); }
void TestWindowSystem::SetCaption(WindowHandle, const std::string& text) {
  calls.push_back("SetCaption " + text);
}
void TestWindowSystem::SetCaptionIcon(WindowHandle, int iconResource) {
  calls.push_back("SetCaptionIcon " + std::to_string(iconResource));
}
void TestWindowSystem::SetItemText(WindowHandle, int id, const std::string& text) {
  calls.push_back("SetItemText " + std::to_string(id) + " " + text);
  for (auto& item : itemTexts) {
    if (item.first == id) {
      item.second = text;
      return;
    }
  }
  itemTexts.emplace_back(id, text);
}
std::string TestWindowSystem::GetItemText(WindowHandle, int id, std::size_t maxChars) {
  for (const auto& item : itemTexts) {
    if (item.first == id) return item.second.substr(0, maxChars);
  }
  return {};
}
void TestWindowSystem::SetItemChecked(WindowHandle, int id, bool checked) {
  calls.push_back("SetItemChecked " + std::to_string(id) + " " + (checked ? "1" : "0"));
}
void TestWindowSystem::EnableItem(WindowHandle, int id, bool enabled) {
  calls.push_back("EnableItem " + std::to_string(id) + " " + (enabled ? "1" : "0"));
}
void TestWindowSystem::FocusItem(WindowHandle, int id) { calls.push_back("FocusItem " + std::to_string(id)); }
void TestWindowSystem::SetCaretToEnd(WindowHandle, int id) {
  calls.push_back("SetCaretToEnd " + std::to_string(id));
}
void TestWindowSystem::ProgressSetRange(WindowHandle, int id, std::uint32_t minimum,
                                  std::uint32_t maximum) {
  calls.push_back("ProgressSetRange " + std::to_string(id) + " " + std::to_string(minimum) + " " +
                  std::to_string(maximum));
}
void TestWindowSystem::ProgressSetPos(WindowHandle, int id, std::uint32_t position) {
  calls.push_back("ProgressSetPos " + std::to_string(id) + " " + std::to_string(position));
}
void TestWindowSystem::ProgressDelta(WindowHandle, int id, std::int32_t delta) {
  calls.push_back("ProgressDelta " + std::to_string(id) + " " + std::to_string(delta));
}
FolderChoice TestWindowSystem::BrowseForFolder(WindowHandle, const std::string& title, BrowseRoot root,
                                         std::string* path) {
  calls.push_back("BrowseForFolder " + title + (root == BrowseRoot::Programs ? " Programs" : " Desktop"));
  if (browseResult == FolderChoice::Chosen) *path = browsePath;
  return browseResult;
}
bool TestWindowSystem::StartWorker(void (*procedure)()) {
  calls.push_back("StartWorker");
  procedure();
  return true;
}

TestSystem::TestSystem()
    : TestFileSystem(static_cast<FaultPlan&>(*this)),
      TestRegistrySystem(static_cast<FaultPlan&>(*this)),
      TestWindowSystem(static_cast<FaultPlan&>(*this)) {
  HostFiles().Reset();
  HostRegistry().Memory().Clear();
  InstallSystem(System{this, this, this});
}

TestSystem::~TestSystem() { InstallSystem(PlatformSystem()); }

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
