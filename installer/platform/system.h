// The installer's one window onto the operating system. Portable code never includes
// <windows.h>; it asks the installed System instead: three tables, as SQLite splits its
// VFS (files and disks, the registry, windows and the shell), each wholly abstract, so a
// wrapper changes one table and forwards the rest (platform/forwarding_system.h). Values
// and codes mirror Win32 so the Win32 System can pass them straight through. Paths inside the logic are DOS paths
// ("C:\WINDOWS\Start Menu\Programs"); a POSIX System maps their drive letters to folders.
// Method names avoid the Win32 A/W macros (MessageBox, DeleteFile, CopyFile).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qinstall {

using FileHandle = std::intptr_t;
constexpr FileHandle kInvalidFile = -1;

using WindowHandle = void*;

// Win32 error codes the logic looks at.
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorSharingViolation = 32;
constexpr std::uint32_t kErrorAlreadyExists = 183;

// GetVersionExA platform identifiers.
constexpr std::uint32_t kPlatformWin32s = 0;
constexpr std::uint32_t kPlatformWindows = 1;  // the Windows 95 family
constexpr std::uint32_t kPlatformNt = 2;

// MessageBoxA styles and answers.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbRetryCancel = 0x5;
constexpr unsigned kMbIconError = 0x10;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr unsigned kMbIconWarning = 0x30;
constexpr unsigned kMbIconInformation = 0x40;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdRetry = 4;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

// Result of one read or write call. For a read, bytes < count with ok set means the file
// ended; a write succeeds only when every byte was written.
struct IoResult {
  bool ok = false;
  std::uint32_t bytes = 0;
  std::uint32_t error = 0;
};

// A registry key handle; 0 when the key could not be had.
using RegistryKey = std::intptr_t;
constexpr RegistryKey kNoKey = 0;
enum class RegistryHive { LocalMachine, CurrentUser };

// A registry value as stored: its type and its bytes (a REG_SZ with its terminator).
constexpr std::uint32_t kRegSz = 1;
struct RegistryValue {
  std::uint32_t type = kRegSz;
  std::string data;
};

// What the folder browser gives back.
enum class FolderChoice { Chosen, Cancelled, NoAllocator, OutOfMemory, NoRoot };
enum class BrowseRoot { Desktop, Programs };

// One shell link as the shell link object is given it. Empty arguments, iconPath or
// workingFolder are not set on the link.
struct ShellLink {
  std::string target;
  std::string arguments;
  std::string linkFile;
  std::string description;
  std::string iconPath;
  int iconIndex = 0;
  std::string workingFolder;
};

// What a path names; None when nothing can be found there.
enum class PathKind { None, File, Folder, Fifo, Device, Link, Socket, Other };

// Files, folders and disks, and the memory for the lists that are read from files.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // GetWindowsDirectoryA, no trailing backslash: where the files of the system lie.
  virtual std::string WindowsFolder() = 0;

  // OpenExistingForReading is GENERIC_READ with no sharing, OPEN_EXISTING, sequential
  // scan. CreateForWriting is GENERIC_WRITE, no sharing, CREATE_ALWAYS.
  virtual FileHandle OpenExistingForReading(const std::string& path, std::uint32_t* error) = 0;
  virtual FileHandle CreateForWriting(const std::string& path, std::uint32_t* error) = 0;
  // A new, empty file beside path under a name no file has, open for writing, with the
  // permissions of the file at path (or those a new file gets); *temporary receives its path.
  // Fails when the file at path may not be written.
  virtual FileHandle CreateTemporaryBeside(const std::string& path, std::string* temporary,
                                           std::uint32_t* error) = 0;
  virtual IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) = 0;
  virtual IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count) = 0;
  // FlushFileBuffers: what was written is on the disk.
  virtual bool FlushFile(FileHandle file, std::uint32_t* error) = 0;
  virtual void CloseFile(FileHandle file) = 0;
  // FindFirstFileA on the exact path: anything found, file or folder, exists.
  virtual bool PathExists(const std::string& path) = 0;
  virtual bool IsFolder(const std::string& path) = 0;
  // Without opening it (a FIFO would wait for a writer); a link itself unless followLinks.
  // Names that mean a device in every folder (NUL, COM1) are devices.
  virtual PathKind KindOfPath(const std::string& path, bool followLinks) = 0;
  // Whether both paths name one existing file, by whatever names (links, case, aliases).
  virtual bool IsSameFile(const std::string& first, const std::string& second) = 0;
  // The size of the file at path; false when it cannot be had.
  virtual bool FileSize(const std::string& path, std::uint64_t* size) = 0;
  // CreateDirectoryA: one level, its parent must exist.
  virtual bool CreateFolder(const std::string& path, std::uint32_t* error) = 0;
  virtual bool RemoveFolder(const std::string& path) = 0;   // only when empty
  // CopyFileA with overwriting allowed.
  virtual bool CopyFileOver(const std::string& from, const std::string& to,
                            std::uint32_t* error) = 0;
  virtual bool RemoveFile(const std::string& path, std::uint32_t* error) = 0;
  // MoveFileA: fails when `to` exists.
  virtual bool RenameFile(const std::string& from, const std::string& to,
                          std::uint32_t* error) = 0;
  // `from` takes the name `to`, whose file (if any) is gone only once it has; where the
  // system cannot do that in one step, the old file steps aside first and comes back on
  // failure.
  virtual bool MoveOver(const std::string& from, const std::string& to,
                           std::uint32_t* error) = 0;
  // GetFileAttributesA: true only for an existing file or folder with the read-only mark.
  virtual bool IsReadOnly(const std::string& path) = 0;

  // Memory that std::free releases, or nullptr when it cannot be had. Lists are released
  // with std::free directly, so they may outlive the installed System at exit.
  virtual void* AllocateMemory(std::size_t bytes) = 0;
};

class RegistrySystem {
 public:
  virtual ~RegistrySystem() = default;

  // CreateKey is RegCreateKeyExA with KEY_ALL_ACCESS (an existing key is opened);
  // SetString stores the text with its terminator as REG_SZ.
  virtual RegistryKey CreateKey(RegistryHive hive, const std::string& subKey,
                                std::uint32_t* error) = 0;
  virtual bool SetString(RegistryKey key, const std::string& name, const std::string& value) = 0;
  // RegQueryValueExA on an open key: 0 with *value filled, kErrorFileNotFound when there is
  // no such value, else the system's error.
  virtual std::uint32_t QueryValue(RegistryKey key, const std::string& name,
                                   RegistryValue* value) = 0;
  // RegSetValueExA with the type and bytes as given; RegDeleteValueA.
  virtual bool SetValue(RegistryKey key, const std::string& name, const RegistryValue& value) = 0;
  virtual bool DeleteValue(RegistryKey key, const std::string& name) = 0;
  virtual void CloseKey(RegistryKey key) = 0;
  virtual bool DeleteKey(RegistryHive hive, const std::string& subKey) = 0;  // RegDeleteKeyA
  // RegOpenKeyExA for reading: whether the key is there.
  virtual bool KeyExists(RegistryHive hive, const std::string& subKey) = 0;
  // Deletes the key with all its subkeys, on every Windows (RegDeleteKeyA leaves a key with
  // subkeys on NT). Returns 0 when it is gone, kErrorFileNotFound when it was not there,
  // else the system's error.
  virtual std::uint32_t DeleteKeyTree(RegistryHive hive, const std::string& subKey) = 0;
};

// Windows, the shell and the worker thread. Calls from the worker are carried out
// synchronously on the UI thread.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // GetVersionExA's dwPlatformId: which Windows the dialogs run on.
  virtual std::uint32_t PlatformId() = 0;

  virtual int ShowMessageBox(WindowHandle owner, const std::string& text,
                             const std::string& caption, unsigned style) = 0;
  virtual WindowHandle CreateModelessDialog(int resource) = 0;  // no owner
  virtual void DestroyDialog(WindowHandle dialog) = 0;
  virtual void CloseWindow(WindowHandle window) = 0;            // sends WM_CLOSE
  virtual void PostQuit(int code) = 0;
  virtual void SetCaption(WindowHandle window, const std::string& text) = 0;
  virtual void SetCaptionIcon(WindowHandle window, int iconResource) = 0;  // ICON_BIG
  virtual void SetItemText(WindowHandle dialog, int id, const std::string& text) = 0;
  // At most maxChars characters.
  virtual std::string GetItemText(WindowHandle dialog, int id, std::size_t maxChars) = 0;
  virtual void SetItemChecked(WindowHandle dialog, int id, bool checked) = 0;
  virtual void EnableItem(WindowHandle dialog, int id, bool enabled) = 0;
  virtual void FocusItem(WindowHandle dialog, int id) = 0;
  virtual void SetCaretToEnd(WindowHandle dialog, int id) = 0;
  virtual void ProgressSetRange(WindowHandle dialog, int id, std::uint32_t minimum,
                                std::uint32_t maximum) = 0;  // 32-bit range
  virtual void ProgressSetPos(WindowHandle dialog, int id, std::uint32_t position) = 0;
  virtual void ProgressDelta(WindowHandle dialog, int id, std::int32_t delta) = 0;
  // The shell's folder browser; *path receives the chosen folder's file-system path.
  virtual FolderChoice BrowseForFolder(WindowHandle owner, const std::string& title,
                                       BrowseRoot root, std::string* path) = 0;
  // The shell link object: CoInitialize, CoCreateInstance(CLSID_ShellLink, IShellLinkA),
  // the setters, IPersistFile::Save, the releases and CoUninitialize. True only when Save
  // returned S_OK.
  virtual bool SaveShellLink(const ShellLink& link) = 0;

  // Starts the worker thread at once; false when it could not be started.
  virtual bool StartWorker(void (*procedure)()) = 0;
};

// The three tables the logic uses; installed once at entry (and by each test).
struct System {
  FileSystem* files;
  RegistrySystem* registry;
  WindowSystem* windows;
};
void InstallSystem(const System& system);
FileSystem& Files();
RegistrySystem& Registry();
WindowSystem& Windows();

// The real tables of this platform, made on first use.
System PlatformSystem();

}  // namespace qinstall
