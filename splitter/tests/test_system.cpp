#include "test_system.h"

#include <algorithm>
#include <cerrno>

#include <gtest/gtest.h>

namespace parcelo {

TestSystem::TestSystem(FileSystem* inner, RegistrySystem* registry)
    : ForwardingFileSystem(*inner),
      registry_(registry != nullptr                      ? registry
                : InstalledSystem().registry != nullptr ? InstalledSystem().registry
                                                        : &ownRegistry_) {}

int TestSystem::Calls(Op op) const {
  const auto found = calls_.find(op);
  return found == calls_.end() ? 0 : found->second;
}

bool TestSystem::Inject(Op op, std::uint32_t* error) {
  const int n = ++calls_[op];
  if (beforeCall) beforeCall(op, n);
  const auto fault = faults_.find({op, n});
  if (fault == faults_.end()) return false;
  if (error != nullptr) *error = fault->second;
  switch (fault->second) {
    case kErrorFileNotFound: errno = ENOENT; break;
    case kErrorPathNotFound: errno = ENOTDIR; break;
    case kErrorAccessDenied: errno = EACCES; break;
    case kErrorNotEnoughMemory: errno = ENOMEM; break;
    case kErrorSharingViolation: errno = EBUSY; break;
    case kErrorFileExists: errno = EEXIST; break;
    case kErrorDiskFull: errno = ENOSPC; break;
    default: errno = EIO; break;
  }
  return true;
}

std::vector<std::string> TestSystem::TextsOf(int id) const {
  const std::string prefix = "text " + std::to_string(id) + " ";
  std::vector<std::string> texts;
  for (const std::string& call : windowCalls) {
    if (call.rfind(prefix, 0) == 0) texts.push_back(call.substr(prefix.size()));
  }
  return texts;
}

int TestSystem::Deltas() const {
  int sum = 0;
  for (const std::string& call : windowCalls) {
    if (call.rfind("delta ", 0) == 0) sum += std::stoi(call.substr(6));
  }
  return sum;
}

FileHandle TestSystem::OpenForReading(const std::string& path, std::uint32_t* error) {
  if (Inject(Op::OpenRead, error)) return kInvalidFile;
  const FileHandle file = inner_.OpenForReading(path, error);
  if (file != kInvalidFile) openFiles.insert(file);
  return file;
}

FileHandle TestSystem::CreateForWriting(const std::string& path, std::uint32_t* error) {
  if (Inject(Op::Create, error)) return kInvalidFile;
  const FileHandle file = inner_.CreateForWriting(path, error);
  if (file != kInvalidFile) openFiles.insert(file);
  return file;
}

IoResult TestSystem::ReadFile(FileHandle file, void* buffer, std::uint32_t count) {
  IoResult result;
  if (openFiles.count(file) == 0) ADD_FAILURE() << "read from a file that is not open";
  if (Inject(Op::Read, &result.error)) return result;
  return inner_.ReadFile(file, buffer, count);
}

IoResult TestSystem::WriteFile(FileHandle file, const void* data, std::uint32_t count) {
  IoResult result;
  if (openFiles.count(file) == 0) ADD_FAILURE() << "write to a file that is not open";
  if (Inject(Op::Write, &result.error)) return result;
  return inner_.WriteFile(file, data, count);
}

ChunkResult TestSystem::CopyChunk(FileHandle source, FileHandle piece, FileHandle backup,
                                  void* buffer, std::uint32_t count, ChunkTap* tap) {
  if (innerChunks) return inner_.CopyChunk(source, piece, backup, buffer, count, tap);
  return PlainCopyChunk(*this, source, piece, backup, buffer, count, tap);
}

void TestSystem::CloseFile(FileHandle file) {
  Inject(Op::Close, nullptr);
  if (openFiles.erase(file) == 0) {
    ++badReleases;
    return;
  }
  inner_.CloseFile(file);
}

FileHandle TestSystem::CreateNewFile(const std::string& path, std::uint32_t* error) {
  if (Inject(Op::CreateNew, error)) return kInvalidFile;
  const FileHandle file = inner_.CreateNewFile(path, error);
  if (file != kInvalidFile) openFiles.insert(file);
  return file;
}

bool TestSystem::RenameNoReplace(const std::string& from, const std::string& to,
                                 std::uint32_t* error) {
  if (Inject(Op::Rename, error)) return false;
  return inner_.RenameNoReplace(from, to, error);
}

bool TestSystem::IsSameFile(const std::string& a, const std::string& b) {
  std::uint32_t error = 0;
  if (Inject(Op::SameFile, &error)) return false;
  return inner_.IsSameFile(a, b);
}

std::vector<std::string> TestSystem::FolderNames(const std::string& folder) {
  std::uint32_t error = 0;
  if (Inject(Op::List, &error)) return {};
  return inner_.FolderNames(folder);
}

std::vector<FolderEntry> TestSystem::ListFolder(const std::string& folder) {
  std::uint32_t error = 0;
  if (Inject(Op::List, &error)) return {};
  return inner_.ListFolder(folder);
}

bool TestSystem::CanNameFile(const std::string& path) {
  std::uint32_t error = 0;
  if (Inject(Op::NameCheck, &error)) return false;
  return inner_.CanNameFile(path);
}

// A lock that cannot be had at all: the run goes on without one, as the Systems do.
bool TestSystem::LockName(const std::string& folder, const std::string& name, NameLock* lock) {
  std::uint32_t error = 0;
  if (Inject(Op::Lock, &error)) {
    *lock = kNoLock;
    return true;
  }
  return inner_.LockName(folder, name, lock);
}

DriveType TestSystem::DriveTypeOf(const std::string& root) {
  std::uint32_t error = 0;
  if (Inject(Op::DriveType, &error)) return DriveType::Unknown;
  return inner_.DriveTypeOf(root);
}

bool TestSystem::FindFile(const std::string& path, FoundFile* found) {
  std::uint32_t error = 0;
  if (Inject(Op::Find, &error)) return false;
  return inner_.FindFile(path, found);
}

bool TestSystem::RemoveFile(const std::string& path) {
  std::uint32_t error = 0;
  if (Inject(Op::Remove, &error)) return false;
  return inner_.RemoveFile(path);
}

std::uint64_t TestSystem::FreeBytes(const std::string& root) {
  std::uint32_t error = 0;
  if (Inject(Op::FreeBytes, &error)) return 0;
  if (!freeBytes.empty()) {
    const std::uint64_t bytes = freeBytes.front();
    freeBytes.pop_front();
    return bytes;
  }
  return inner_.FreeBytes(root);
}

void* TestSystem::AllocateBuffer(std::uint32_t size) {
  std::uint32_t error = 0;
  if (Inject(Op::Allocate, &error)) return nullptr;
  void* buffer = inner_.AllocateBuffer(size);
  if (buffer != nullptr) liveBuffers.insert(buffer);
  return buffer;
}

void TestSystem::FreeBuffer(void* buffer) {
  if (liveBuffers.erase(buffer) == 0) {
    ++badReleases;
    return;
  }
  inner_.FreeBuffer(buffer);
}

int TestSystem::ShowMessageBox(WindowHandle owner, const std::string& text,
                               const std::string& caption, unsigned style) {
  const Box box{owner, text, caption, style};
  boxes.push_back(box);
  if (boxes.size() > 10000) {
    ADD_FAILURE() << "endless questions; last: " << text;
    return kIdCancel;
  }
  if (onBox) return onBox(box);
  if (!answers.empty()) {
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  const unsigned buttons = style & 0xF;
  if (buttons == kMbOk) return kIdOk;
  return buttons == kMbYesNo ? kIdNo : kIdCancel;
}

void TestSystem::SetItemText(WindowHandle dialog, int id, const std::string& text) {
  windowCalls.push_back("text " + std::to_string(id) + " " + text);
  ItemOf(dialog, id).text = text;
  if (onTextSet) onTextSet(dialog, id);
}

void TestSystem::ProgressSetRange(WindowHandle, int, std::uint32_t minimum, std::uint32_t maximum) {
  windowCalls.push_back("range " + std::to_string(minimum) + " " + std::to_string(maximum));
}

void TestSystem::ProgressSetPos(WindowHandle, int, std::uint32_t position) {
  windowCalls.push_back("pos " + std::to_string(position));
}

void TestSystem::ProgressDelta(WindowHandle, int, std::int32_t delta) {
  windowCalls.push_back("delta " + std::to_string(delta));
}

void TestSystem::UpdateToolTip(WindowHandle, WindowHandle, int id, const std::string& text) {
  windowCalls.push_back("tip " + std::to_string(id) + " " + text);
}

void TestSystem::CloseWindow(WindowHandle window) {
  windowCalls.push_back("close");
  closedWindows.push_back(window);
  if (onClose) onClose(window);
}

void TestSystem::PlaySystemSound(const std::string& alias) {
  windowCalls.push_back("sound " + alias);
}

std::string TestSystem::GetItemText(WindowHandle dialog, int id) { return ItemOf(dialog, id).text; }

bool TestSystem::IsItemChecked(WindowHandle dialog, int id) { return ItemOf(dialog, id).checked; }

void TestSystem::SetItemChecked(WindowHandle dialog, int id, bool checked) {
  ItemOf(dialog, id).checked = checked;
}

void TestSystem::EnableItem(WindowHandle dialog, int id, bool enabled) {
  ItemOf(dialog, id).enabled = enabled;
}

void TestSystem::FocusItem(WindowHandle dialog, int id) {
  dialogCalls.push_back("focus " + std::to_string(ResourceOf(dialog)) + " " + std::to_string(id));
}

void TestSystem::ListInsert(WindowHandle dialog, int id, int index, const std::string& text) {
  std::vector<std::string>& list = ItemOf(dialog, id).list;
  list.insert(list.begin() + std::min<std::size_t>(index, list.size()), text);
}

int TestSystem::ListSelection(WindowHandle dialog, int id) { return ItemOf(dialog, id).selection; }

void TestSystem::ListSelect(WindowHandle dialog, int id, int index) {
  Item& item = ItemOf(dialog, id);
  item.selection = index >= 0 && index < static_cast<int>(item.list.size()) ? index : -1;
}

int TestSystem::ResourceOf(WindowHandle dialog) const {
  for (const auto& [resource, handle] : dialogs) {
    if (handle == dialog) return resource;
  }
  return 0;
}

WindowHandle TestSystem::CreateModelessDialog(int resource) {
  // Distinct, never dereferenced handles.
  const WindowHandle handle = reinterpret_cast<WindowHandle>(0x1000 + 0x10 * dialogs.size());
  dialogs.emplace_back(resource, handle);
  if (onCreate) onCreate(resource, handle);
  return handle;
}

int TestSystem::RunModalDialog(int resource, WindowHandle) {
  dialogCalls.push_back("modal " + std::to_string(resource));
  const WindowHandle handle = reinterpret_cast<WindowHandle>(0x1000 + 0x10 * dialogs.size());
  dialogs.emplace_back(resource, handle);
  if (onModal) onModal(resource, handle);
  return 0;
}

void TestSystem::EndModalDialog(WindowHandle dialog, int result) {
  dialogCalls.push_back("end " + std::to_string(ResourceOf(dialog)) + " " + std::to_string(result));
}

void TestSystem::DestroyDialog(WindowHandle dialog) {
  dialogCalls.push_back("destroy " + std::to_string(ResourceOf(dialog)));
  destroyed.push_back(dialog);
  if (onDestroy) onDestroy(dialog);
}

void TestSystem::PostQuit() { dialogCalls.push_back("quit"); }

void TestSystem::SetTopmost(WindowHandle window, bool topmost) {
  dialogCalls.push_back("topmost " + std::to_string(ResourceOf(window)) + " " +
                        (topmost ? "1" : "0"));
}

void TestSystem::AddToolTip(WindowHandle, WindowHandle dialog, int id, const std::string& text) {
  windowCalls.push_back("addtip " + std::to_string(id) + " " + text);
  ItemOf(dialog, id).hasTip = true;
}

bool TestSystem::BrowseForFile(WindowHandle, const std::string&, std::string* path) {
  if (browsedFile.empty()) return false;
  *path = browsedFile;
  return true;
}

FolderChoice TestSystem::BrowseForFolder(WindowHandle, const std::string&, std::string* path) {
  if (folderChoice == FolderChoice::Chosen) *path = browsedFolder;
  return folderChoice;
}

void TestSystem::ShowHelpContents(WindowHandle, const std::string& file) {
  dialogCalls.push_back("help contents " + file);
}

void TestSystem::ShowContextHelp(WindowHandle, const std::string& file, const std::uint32_t*) {
  dialogCalls.push_back("help context " + file);
}

void TestSystem::ShellOpen(const std::string& address) { dialogCalls.push_back("shell " + address); }

bool TestSystem::StartWorker(int (*procedure)()) {
  dialogCalls.push_back("worker");
  if (workerStartFails) return false;
  procedure();
  return true;
}

}  // namespace parcelo
