#include "platform/system.h"

namespace qinstall {
namespace {
System* installed = nullptr;

template <typename T>
T Fails(std::uint32_t* error, T result) {
  if (error != nullptr) *error = kErrorAccessDenied;
  return result;
}
}  // namespace

System& Sys() { return *installed; }

void InstallSystem(System* system) { installed = system; }

std::uint32_t System::PlatformId() { return kPlatformWindows; }
std::string System::WindowsFolder() { return "C:\\WINDOWS"; }
FileHandle System::CreateForWriting(const std::string&, std::uint32_t* error) {
  return Fails(error, kInvalidFile);
}
IoResult System::WriteFile(FileHandle, const void*, std::uint32_t) {
  return IoResult{false, 0, kErrorAccessDenied};
}
bool System::PathExists(const std::string&) { return false; }
bool System::IsFolder(const std::string&) { return false; }
bool System::CreateFolder(const std::string&, std::uint32_t* error) { return Fails(error, false); }
bool System::RemoveFolder(const std::string&) { return false; }
bool System::CopyFileOver(const std::string&, const std::string&, std::uint32_t* error) {
  return Fails(error, false);
}
bool System::RemoveFile(const std::string&, std::uint32_t* error) { return Fails(error, false); }
bool System::RenameFile(const std::string&, const std::string&, std::uint32_t* error) {
  return Fails(error, false);
}
bool System::IsReadOnly(const std::string&) { return false; }
RegistryKey System::CreateKey(RegistryHive, const std::string&, std::uint32_t* error) {
  return Fails(error, kNoKey);
}
bool System::SetString(RegistryKey, const std::string&, const std::string&) { return false; }
std::uint32_t System::QueryValue(RegistryKey, const std::string&, RegistryValue*) {
  return kErrorAccessDenied;
}
bool System::SetValue(RegistryKey, const std::string&, const RegistryValue&) { return false; }
bool System::DeleteValue(RegistryKey, const std::string&) { return false; }
void System::CloseKey(RegistryKey) {}
bool System::DeleteKey(RegistryHive, const std::string&) { return false; }
bool System::KeyExists(RegistryHive, const std::string&) { return false; }
std::uint32_t System::DeleteKeyTree(RegistryHive, const std::string&) { return kErrorAccessDenied; }
bool System::SaveShellLink(const ShellLink&) { return false; }
WindowHandle System::CreateModelessDialog(int) { return nullptr; }
void System::DestroyDialog(WindowHandle) {}
void System::CloseWindow(WindowHandle) {}
void System::PostQuit(int) {}
void System::SetCaption(WindowHandle, const std::string&) {}
void System::SetCaptionIcon(WindowHandle, int) {}
void System::SetItemText(WindowHandle, int, const std::string&) {}
std::string System::GetItemText(WindowHandle, int, std::size_t) { return {}; }
void System::SetItemChecked(WindowHandle, int, bool) {}
void System::EnableItem(WindowHandle, int, bool) {}
void System::FocusItem(WindowHandle, int) {}
void System::SetCaretToEnd(WindowHandle, int) {}
void System::ProgressSetRange(WindowHandle, int, std::uint32_t, std::uint32_t) {}
void System::ProgressSetPos(WindowHandle, int, std::uint32_t) {}
void System::ProgressDelta(WindowHandle, int, std::int32_t) {}
FolderChoice System::BrowseForFolder(WindowHandle, const std::string&, BrowseRoot, std::string*) {
  return FolderChoice::Cancelled;
}
bool System::StartWorker(void (*)()) { return false; }

}  // namespace qinstall
