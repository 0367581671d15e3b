// The installer's one window onto the operating system. Portable code never includes
// <windows.h>; it asks the installed System instead. Values and codes mirror Win32 so the
// Win32 System can pass them straight through. Paths inside the logic are DOS paths
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

class System {
 public:
  virtual ~System() = default;

  // Every operation but the five that reading a data file needs has a default that fails
  // (or does nothing), so a System made for one job (fuzzing the readers) stays small.

  // Platform.
  virtual std::uint32_t PlatformId();     // GetVersionExA's dwPlatformId
  virtual std::string WindowsFolder();    // GetWindowsDirectoryA, no trailing backslash

  // Files. OpenExistingForReading is GENERIC_READ with no sharing, OPEN_EXISTING,
  // sequential scan. CreateForWriting is GENERIC_WRITE, no sharing, CREATE_ALWAYS.
  virtual FileHandle OpenExistingForReading(const std::string& path, std::uint32_t* error) = 0;
  virtual FileHandle CreateForWriting(const std::string& path, std::uint32_t* error);
  virtual IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) = 0;
  virtual IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count);
  virtual void CloseFile(FileHandle file) = 0;
  // FindFirstFileA on the exact path: anything found, file or folder, exists.
  virtual bool PathExists(const std::string& path);
  virtual bool IsFolder(const std::string& path);
  // CreateDirectoryA: one level, its parent must exist.
  virtual bool CreateFolder(const std::string& path, std::uint32_t* error);
  virtual bool RemoveFolder(const std::string& path);   // only when empty
  // CopyFileA with overwriting allowed.
  virtual bool CopyFileOver(const std::string& from, const std::string& to,
                            std::uint32_t* error);
  virtual bool RemoveFile(const std::string& path, std::uint32_t* error);
  // MoveFileA: fails when `to` exists.
  virtual bool RenameFile(const std::string& from, const std::string& to,
                          std::uint32_t* error);
  // GetFileAttributesA: true only for an existing file or folder with the read-only mark.
  virtual bool IsReadOnly(const std::string& path);

  // Memory that std::free releases, or nullptr when it cannot be had. Lists are released
  // with std::free directly, so they may outlive the installed System at exit.
  virtual void* AllocateMemory(std::size_t bytes) = 0;

  // Registry. CreateKey is RegCreateKeyExA with KEY_ALL_ACCESS (an existing key is
  // opened); SetString stores the text with its terminator as REG_SZ.
  virtual RegistryKey CreateKey(RegistryHive hive, const std::string& subKey,
                                std::uint32_t* error);
  virtual bool SetString(RegistryKey key, const std::string& name, const std::string& value);
  // RegQueryValueExA on an open key: 0 with *value filled, kErrorFileNotFound when there is
  // no such value, else the system's error.
  virtual std::uint32_t QueryValue(RegistryKey key, const std::string& name,
                                   RegistryValue* value);
  // RegSetValueExA with the type and bytes as given; RegDeleteValueA.
  virtual bool SetValue(RegistryKey key, const std::string& name, const RegistryValue& value);
  virtual bool DeleteValue(RegistryKey key, const std::string& name);
  virtual void CloseKey(RegistryKey key);
  virtual bool DeleteKey(RegistryHive hive, const std::string& subKey);  // RegDeleteKeyA
  // RegOpenKeyExA for reading: whether the key is there.
  virtual bool KeyExists(RegistryHive hive, const std::string& subKey);
  // Deletes the key with all its subkeys, on every Windows (RegDeleteKeyA leaves a key with
  // subkeys on NT). Returns 0 when it is gone, kErrorFileNotFound when it was not there,
  // else the system's error.
  virtual std::uint32_t DeleteKeyTree(RegistryHive hive, const std::string& subKey);

  // The shell link object: CoInitialize, CoCreateInstance(CLSID_ShellLink, IShellLinkA),
  // the setters, IPersistFile::Save, the releases and CoUninitialize. True only when Save
  // returned S_OK.
  virtual bool SaveShellLink(const ShellLink& link);

  // Windows. Calls from the worker are carried out synchronously on the UI thread.
  virtual int ShowMessageBox(WindowHandle owner, const std::string& text,
                             const std::string& caption, unsigned style) = 0;
  virtual WindowHandle CreateModelessDialog(int resource);  // no owner
  virtual void DestroyDialog(WindowHandle dialog);
  virtual void CloseWindow(WindowHandle window);            // sends WM_CLOSE
  virtual void PostQuit(int code);
  virtual void SetCaption(WindowHandle window, const std::string& text);
  virtual void SetCaptionIcon(WindowHandle window, int iconResource);  // ICON_BIG
  virtual void SetItemText(WindowHandle dialog, int id, const std::string& text);
  // At most maxChars characters.
  virtual std::string GetItemText(WindowHandle dialog, int id, std::size_t maxChars);
  virtual void SetItemChecked(WindowHandle dialog, int id, bool checked);
  virtual void EnableItem(WindowHandle dialog, int id, bool enabled);
  virtual void FocusItem(WindowHandle dialog, int id);
  virtual void SetCaretToEnd(WindowHandle dialog, int id);
  virtual void ProgressSetRange(WindowHandle dialog, int id, std::uint32_t minimum,
                                std::uint32_t maximum);  // 32-bit range
  virtual void ProgressSetPos(WindowHandle dialog, int id, std::uint32_t position);
  virtual void ProgressDelta(WindowHandle dialog, int id, std::int32_t delta);
  // The shell's folder browser; *path receives the chosen folder's file-system path.
  virtual FolderChoice BrowseForFolder(WindowHandle owner, const std::string& title,
                                       BrowseRoot root, std::string* path);

  // Starts the worker thread at once; false when it could not be started.
  virtual bool StartWorker(void (*procedure)());
};

// The System the logic uses; installed once at entry (and by each test).
System& Sys();
void InstallSystem(System* system);

// The real System of this platform, made on first use.
System& PlatformSystem();

}  // namespace qinstall
