// The splitter's one window onto the operating system and the windowing system.
// Portable code never includes <windows.h>; it asks the installed System instead: three
// tables, as SQLite splits its VFS (files and disks, the registry, windows and the shell),
// each wholly abstract, so a wrapper changes one table and forwards the rest
// (platform/forwarding_system.h).
// Paths are DOS paths ("C:\Out\HOLIDA~1.000"); values and codes mirror Win32 so the
// Win32 System can pass them straight through.
// Method names avoid the Win32 A/W macros (MessageBox, DeleteFile, GetDriveType).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace parcelo {

using FileHandle = std::intptr_t;
constexpr FileHandle kInvalidFile = -1;

using WindowHandle = void*;

// Win32 error codes the logic looks at.
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorPathNotFound = 3;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorNotEnoughMemory = 8;
constexpr std::uint32_t kErrorSharingViolation = 32;
constexpr std::uint32_t kErrorFileExists = 80;
constexpr std::uint32_t kErrorDiskFull = 112;

// GetDriveTypeA values.
enum class DriveType : std::uint32_t {
  Unknown = 0,
  NoRootDir = 1,
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

// MessageBoxA styles and answers.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbOkCancel = 0x1;
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

// What a name in a folder is. Link only where links are not followed (a listing); Other
// is neither a plain file nor a folder (a FIFO, a device).
enum class EntryKind { File, Folder, Link, Other };

// What FindFirstFileA reports of one file.
struct FoundFile {
  std::string name;           // cFileName
  std::string alternateName;  // cAlternateFileName; empty when the name is already 8.3
  bool isDirectory = false;
  EntryKind kind = EntryKind::File;  // links followed
  std::uint64_t size = 0;
  // ftLastWriteTime, or the host's own count; only ever compared with itself.
  std::uint64_t lastWriteTime = 0;
  // What it is when it is neither a plain file nor a folder ("a symbolic link", "a FIFO"):
  // no file can be written there. Empty where the system has no such entries.
  std::string oddKind;
};

// One entry of a folder listing, links not followed.
struct FolderEntry {
  std::string name;
  std::string alternateName;  // its 8.3 name; empty when the name is one already
  EntryKind kind = EntryKind::File;
};

// A lock held on one name in one folder; kNoLock when none is held.
using NameLock = std::intptr_t;
constexpr NameLock kNoLock = 0;

// A registry key handle; 0 when the key could not be had.
using RegistryKey = std::intptr_t;
constexpr RegistryKey kNoKey = 0;

// What the folder browser gives back.
enum class FolderChoice { Chosen, Cancelled, NoAllocator, OutOfMemory };

// Result of one read or write. A write succeeds only when every byte was written.
struct IoResult {
  bool ok = false;
  std::uint32_t bytes = 0;
  std::uint32_t error = 0;
};

// What one chunk of a run did: the read, the write to the piece and the write to the backup.
// A step is tried only after the one before it moved bytes; one not tried stays !ok with
// error 0.
struct ChunkResult {
  IoResult read;
  IoResult write;
  IoResult backup;
};

// Sees the bytes of a chunk in the run's buffer, between their read and their writes, in
// order; a System that moves the chunk in several steps shows it each step.
class ChunkTap {
 public:
  virtual void Seen(const void* data, std::uint32_t count) = 0;

 protected:
  ~ChunkTap() = default;
};

// Whether two names are one but for the case of their ASCII letters, as DOS compares names.
bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b);

// A short fixed-size key for a name, for the lock names both Systems derive from a folder and
// a file name.
std::uint64_t NameHash(const std::string& text);

// Files, folders and disks, the names they take, and the memory for transfer buffers.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // OpenForReading is GENERIC_READ with FILE_SHARE_READ; CreateForWriting is
  // GENERIC_WRITE, no sharing, CREATE_ALWAYS. Both scan sequentially.
  virtual FileHandle OpenForReading(const std::string& path, std::uint32_t* error) = 0;
  virtual FileHandle CreateForWriting(const std::string& path, std::uint32_t* error) = 0;
  virtual IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) = 0;
  virtual IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count) = 0;
  virtual void CloseFile(FileHandle file) = 0;
  // Moves up to count bytes on from the source's position to the piece and, unless backup
  // is kInvalidFile, to the backup. The plain way (PlainCopyChunk) is one ReadFile into
  // buffer and one WriteFile per target; a table may move the bytes another way as long as
  // files, positions and results come out the same. With a tap, every byte read passes
  // through buffer and the tap sees it there before it is written.
  virtual ChunkResult CopyChunk(FileHandle source, FileHandle piece, FileHandle backup,
                                void* buffer, std::uint32_t count, ChunkTap* tap) = 0;
  // CREATE_NEW: a new file only, never an existing one nor one reached through a link;
  // kErrorFileExists when the name is taken (without case, or by an alias).
  virtual FileHandle CreateNewFile(const std::string& path, std::uint32_t* error) = 0;
  // MoveFileA: never replaces anything; kErrorFileExists when the new name is taken.
  virtual bool RenameNoReplace(const std::string& from, const std::string& to,
                               std::uint32_t* error) = 0;
  // The file that path names: the name in its folder that the system resolves it to
  // (exactly, else without case, else by its 8.3 alias).
  virtual bool FindFile(const std::string& path, FoundFile* found) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  // True when both paths name one existing file (links and aliases included).
  virtual bool IsSameFile(const std::string& a, const std::string& b) = 0;
  // The names of the entries of folder (FindFirstFileA/FindNextFileA on "folder\*"), without
  // "." and ".."; empty when it cannot be read.
  virtual std::vector<std::string> FolderNames(const std::string& folder) = 0;
  // The same entries with what each is; empty when the folder cannot be read.
  virtual std::vector<FolderEntry> ListFolder(const std::string& folder) = 0;
  // Whether two names in one folder are two files: true where the file system keeps names
  // that differ only in case apart (POSIX), false where it takes them for one (Windows).
  virtual bool NamesHaveCase() = 0;
  // Whether path can name a file at all: its last component within the longest name the
  // volume takes, the whole within the longest path the system opens.
  virtual bool CanNameFile(const std::string& path) = 0;
  // True where the 8.3 names are made up by this System rather than kept by the file system,
  // so that a run may give its pieces another free one.
  virtual bool MakesShortNames() = 0;
  // Takes a lock on name within folder (no case, through any alias of the folder) for this
  // process. False only when another process holds it; *lock is kNoLock when this process
  // holds it already or no lock could be had at all, and is then not to be released.
  virtual bool LockName(const std::string& folder, const std::string& name, NameLock* lock) = 0;
  virtual void UnlockName(NameLock lock) = 0;

  // Text for the command interpreter, which reads batch files in the OEM code page: the
  // system's text converted as the system converts it. False when a character has no
  // equivalent there, so that the text would not read back the same.
  virtual bool ToOemText(const std::string& text, std::string* oem) = 0;
  virtual std::string FromOemText(const std::string& oem) = 0;
  // True when a and b are one name but for the case of their letters, by the system's own
  // capitals (which know more letters than ASCII's).
  virtual bool EqualIgnoringCase(const std::string& a, const std::string& b) = 0;

  // Disks. FreeBytes is the full 64-bit product; callers cap it.
  virtual DriveType DriveTypeOf(const std::string& root) = 0;
  virtual std::uint64_t FreeBytes(const std::string& root) = 0;
  // Bytes of the smallest room a file takes on the disk (bytes per sector × sectors per
  // cluster); 1 where the disk counts bytes.
  virtual std::uint32_t ClusterBytes(const std::string& root) = 0;

  // Memory for the transfer buffer; nullptr when it cannot be had.
  virtual void* AllocateBuffer(std::uint32_t size) = 0;
  virtual void FreeBuffer(void* buffer) = 0;

};

// The registry, under HKEY_LOCAL_MACHINE.
class RegistrySystem {
 public:
  virtual ~RegistrySystem() = default;

  // *created tells a new key from an existing one.
  virtual RegistryKey CreateMachineKey(const std::string& subKey, bool* created) = 0;
  // False when the value is missing or not a 4-byte number.
  virtual bool QueryDword(RegistryKey key, const std::string& name, std::uint32_t* value) = 0;
  // False when the value could not be stored.
  virtual bool SetDword(RegistryKey key, const std::string& name, std::uint32_t value) = 0;
  virtual void CloseKey(RegistryKey key) = 0;

};

// Windows, dialogs, message boxes, the shell, sounds and the worker thread. Calls from the
// worker are carried out synchronously on the UI thread.
class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  virtual int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                         unsigned style) = 0;
  virtual void SetItemText(WindowHandle dialog, int id, const std::string& text) = 0;
  virtual void ProgressSetRange(WindowHandle dialog, int id, std::uint32_t minimum,
                                std::uint32_t maximum) = 0;
  virtual void ProgressSetPos(WindowHandle dialog, int id, std::uint32_t position) = 0;
  virtual void ProgressDelta(WindowHandle dialog, int id, std::int32_t delta) = 0;
  virtual void UpdateToolTip(WindowHandle toolTip, WindowHandle dialog, int id,
                             const std::string& text) = 0;
  virtual void CloseWindow(WindowHandle window) = 0;  // sends WM_CLOSE
  virtual void PlaySystemSound(const std::string& alias) = 0;

  // Dialog items, addressed by the dialog and the control id.
  virtual std::string GetItemText(WindowHandle dialog, int id) = 0;
  virtual bool IsItemChecked(WindowHandle dialog, int id) = 0;
  virtual void SetItemChecked(WindowHandle dialog, int id, bool checked) = 0;
  virtual void EnableItem(WindowHandle dialog, int id, bool enabled) = 0;
  virtual void FocusItem(WindowHandle dialog, int id) = 0;
  virtual void ListInsert(WindowHandle dialog, int id, int index, const std::string& text) = 0;
  virtual int ListSelection(WindowHandle dialog, int id) = 0;  // -1 for none
  virtual void ListSelect(WindowHandle dialog, int id, int index) = 0;
  virtual void SetCaretToEnd(WindowHandle dialog, int id) = 0;

  // Dialogs by resource id. The modeless ones have no owner.
  virtual WindowHandle CreateModelessDialog(int resource) = 0;
  virtual int RunModalDialog(int resource, WindowHandle owner) = 0;
  virtual void EndModalDialog(WindowHandle dialog, int result) = 0;
  virtual void DestroyDialog(WindowHandle dialog) = 0;
  virtual void PostQuit() = 0;
  virtual void SetTopmost(WindowHandle window, bool topmost) = 0;
  virtual void SetSmallIcon(WindowHandle window) = 0;  // the program's icon
  virtual void ShowProgramIcon(WindowHandle dialog, int id) = 0;
  virtual void ReleaseProgramIcon(WindowHandle dialog, int id) = 0;
  virtual void AcceptDroppedFiles(WindowHandle dialog) = 0;
  virtual WindowHandle CreateToolTips(WindowHandle dialog) = 0;
  virtual void AddToolTip(WindowHandle toolTip, WindowHandle dialog, int id,
                          const std::string& text) = 0;

  // Shell facilities.
  virtual bool BrowseForFile(WindowHandle owner, const std::string& title, std::string* path) = 0;
  virtual FolderChoice BrowseForFolder(WindowHandle owner, const std::string& title,
                                       std::string* path) = 0;
  virtual void ShowHelpContents(WindowHandle window, const std::string& helpFile) = 0;
  // table: pairs of control id and context number, ended by two zeros.
  virtual void ShowContextHelp(WindowHandle item, const std::string& helpFile,
                               const std::uint32_t* table) = 0;
  virtual void ShellOpen(const std::string& address) = 0;

  // Starts the worker thread at once; false when it could not be started.
  virtual bool StartWorker(int (*procedure)()) = 0;
};

// The one-step way to move a chunk: one read into buffer, the tap, one write per target.
ChunkResult PlainCopyChunk(FileSystem& files, FileHandle source, FileHandle piece,
                           FileHandle backup, void* buffer, std::uint32_t count, ChunkTap* tap);

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
// What is installed now, so that a wrapper can take one table of it.
const System& InstalledSystem();

}  // namespace parcelo
