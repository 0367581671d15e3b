#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <sstream>

#include "cli/host.h"
#include "platform/posix/file_kind.h"
#include "platform/posix/folder_listing.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_registry_system.h"
#include "platform/posix/posix_window_system.h"
#include "platform/posix/short_name.h"

namespace parcelo {
namespace fs = std::filesystem;
namespace {

struct Mapped {
  char letter;
  std::string folder;  // absolute, normal, no trailing slash
};

std::vector<Mapped>& RemovableTable() {
  static std::vector<Mapped> table;
  return table;
}

std::string Normal(const std::string& path) {
  std::error_code error;
  std::string normal = fs::absolute(path, error).lexically_normal().string();
  if (error) return {};
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

// Mount points whose block device says it is removable (USB sticks, card readers, floppies).
std::vector<std::string> RemovableMounts() {
  std::vector<std::string> mounts;
  std::ifstream info("/proc/self/mountinfo");
  std::string line;
  while (std::getline(info, line)) {
    std::istringstream fields(line);
    std::string id, parent, device, root, point;
    if (!(fields >> id >> parent >> device >> root >> point)) continue;
    const std::string base = "/sys/dev/block/" + device;
    std::ifstream flag(base + "/removable");
    if (!flag) flag.open(base + "/../removable");  // a partition: ask its disk
    char removable = '0';
    if (!(flag >> removable) || removable != '1') continue;
    // mountinfo writes blanks and the like as octal escapes.
    std::string decoded;
    for (std::size_t i = 0; i < point.size(); ++i) {
      if (point[i] == '\\' && i + 3 < point.size()) {
        decoded += static_cast<char>(std::strtol(point.substr(i + 1, 3).c_str(), nullptr, 8));
        i += 3;
      } else {
        decoded += point[i];
      }
    }
    mounts.push_back(decoded);
  }
  return mounts;
}

// How this host writes names: the locale's encoding, with the plain "C" locale taken for
// UTF-8, which is what the names on such a host are in practice.
std::string HostCharset() {
  std::string charset = "UTF-8";
  const locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (locale != static_cast<locale_t>(0)) {
    charset = nl_langinfo_l(CODESET, locale);
    freelocale(locale);
  }
  if (charset == "ANSI_X3.4-1968" || charset.empty()) charset = "UTF-8";
  return charset;
}

OemCodePage& HostCodePage() {
  static OemCodePage page(437, HostCharset());
  return page;
}

}  // namespace

bool ChooseOemCodePage(const std::string& code, std::string* problem) {
  std::string chosen = code;
  std::string from = "--codepage";
  if (chosen.empty()) {
    if (const char* variable = std::getenv("PARCELO95_OEM_CODEPAGE")) {
      chosen = variable;
      from = "PARCELO95_OEM_CODEPAGE";
    }
  }
  if (chosen.empty()) return true;
  OemCodePage page(0);
  if (chosen.size() <= 5 && chosen.find_first_not_of("0123456789") == std::string::npos) {
    const int number = std::stoi(chosen);
    for (int supported : kSupportedOemCodePages) {
      if (number == supported) page = OemCodePage(number, HostCharset());
    }
  }
  if (!page.valid()) {
    std::string offered;
    const std::size_t count = std::size(kSupportedOemCodePages);
    for (std::size_t i = 0; i < count; ++i) {
      offered += (i == 0 ? "" : i + 1 == count ? " and " : ", ") +
                 std::to_string(kSupportedOemCodePages[i]);
    }
    *problem = from + ": \"" + chosen + "\" is not an OEM code page that can be used here (" +
               offered + " can).";
    return false;
  }
  HostCodePage() = page;
  return true;
}

std::string JoinTextToHost(const std::string& oem) { return HostCodePage().FromOem(oem); }

std::vector<int> OtherOemCodePages() {
  std::vector<int> others;
  for (int page : kSupportedOemCodePages) {
    if (page != HostCodePage().number()) others.push_back(page);
  }
  return others;
}

std::string JoinTextToHost(const std::string& oem, int codePage) {
  return OemCodePage(codePage, HostCharset()).FromOem(oem);
}

std::vector<RemovableFolder> ParseDrivesVariable(const std::string& value) {
  std::vector<RemovableFolder> folders;
  std::size_t start = 0;
  while (start <= value.size()) {
    std::size_t end = value.find(':', start);
    if (end == std::string::npos) end = value.size();
    std::string entry = value.substr(start, end - start);
    start = end + 1;
    RemovableFolder drive;
    const std::size_t equals = entry.rfind('=');
    if (equals != std::string::npos && equals + 1 < entry.size() &&
        entry.find_first_not_of("0123456789", equals + 1) == std::string::npos &&
        entry.size() - equals - 1 <= 19) {
      drive.capacity = std::strtoull(entry.c_str() + equals + 1, nullptr, 10);
      entry.resize(equals);
    }
    struct stat info;
    if (entry.empty() || stat(entry.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) continue;
    drive.folder = Normal(entry);
    folders.push_back(drive);
  }
  return folders;
}

namespace {

class PosixHost final : public HostSystem {
 public:
  System Tables() override { return {&files, &registry, &windows}; }
  std::string SettingsProblem() override { return registry.RegistryProblem(); }

  PosixFileSystem files;
  PosixRegistrySystem registry;
  PosixWindowSystem windows;
};

}  // namespace

std::unique_ptr<HostSystem> MakeHostSystem() {
  auto host = std::make_unique<PosixHost>();
  PosixFileSystem* const system = &host->files;
  system->SetOemCodePage(HostCodePage());
  system->MapDrive('C', "/", DriveType::Fixed);
  if (const char* aliases = std::getenv("PARCELO95_SHORT_NAMES"); aliases != nullptr) {
    system->SetShortNames(std::string(aliases) != "0");
  }
  std::vector<RemovableFolder> removable;
  if (const char* drives = std::getenv("PARCELO95_DRIVES")) removable = ParseDrivesVariable(drives);
  for (const std::string& mount : RemovableMounts()) removable.push_back({mount, 0});

  std::vector<Mapped>& table = RemovableTable();
  table.clear();
  char letter = 'A';
  for (const RemovableFolder& drive : removable) {
    if (letter > 'Z') break;
    system->MapDrive(letter, drive.folder, DriveType::Removable, drive.capacity);
    table.push_back({letter, drive.folder});
    letter = letter == 'B' ? 'D' : static_cast<char>(letter + 1);
  }

  // The settings key lives in a file, created with the defaults on first use.
  std::string config;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
    config = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    config = std::string(home) + "/.config";
  }
  // Its folder is made when the file is first written.
  if (!config.empty()) host->registry.SetRegistryFile(config + "/parcelo95/registry.reg");
  return host;
}

std::string ToDosPath(const std::string& hostPath) {
  const std::string absolute = Normal(hostPath);
  if (absolute.empty()) return {};
  // The innermost removable folder that holds the path names its drive.
  const Mapped* drive = nullptr;
  for (const Mapped& candidate : RemovableTable()) {
    const std::string& folder = candidate.folder;
    const bool inside = absolute == folder ||
                        (absolute.compare(0, folder.size(), folder) == 0 &&
                         (folder == "/" || absolute[folder.size()] == '/'));
    if (inside && (drive == nullptr || folder.size() > drive->folder.size())) drive = &candidate;
  }
  std::string rest = absolute;
  std::string dos = "C:";
  if (drive != nullptr) {
    rest = absolute.substr(drive->folder == "/" ? 0 : drive->folder.size());
    dos = std::string(1, drive->letter) + ":";
  }
  if (rest.empty()) rest = "/";
  // A backslash in a name would end a DOS component: such a name is reached by its 8.3
  // name, as Windows reaches names it cannot spell, or not at all.
  std::size_t start = 1;
  while (start <= rest.size()) {
    std::size_t end = rest.find('/', start);
    if (end == std::string::npos) end = rest.size();
    const std::string name = rest.substr(start, end - start);
    start = end + 1;
    if (name.empty()) continue;
    std::string component = name;
    if (name.find('\\') != std::string::npos) {
      component.clear();
      for (const FolderEntry& entry : Files().ListFolder(dos.size() == 2 ? dos + "\\" : dos)) {
        if (entry.name == name) component = entry.alternateName;
      }
      if (component.empty()) return {};
    }
    dos += "\\" + component;
  }
  if (dos.size() == 2) dos += "\\";
  return dos;
}

std::string WhyNoDosPath(const std::string& hostPath) {
  return hostPath + " cannot be reached by a DOS path: a name in it holds a \\, which DOS "
                    "and Windows read as a folder separator, and has no 8.3 name.";
}

std::string OddFileKind(const std::string& hostPath) {
  struct stat info;
  if (stat(hostPath.c_str(), &info) != 0 || S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)) {
    return {};
  }
  return FileKindName(info.st_mode);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string ParentFolder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  const std::size_t end = path.find_last_not_of('/', slash);
  return end == std::string::npos ? "/" : path.substr(0, end + 1);
}

std::string NameInFolder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

PathKind KindOfPath(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return PathKind::None;
  if (S_ISREG(info.st_mode)) return PathKind::File;
  return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::Other;
}

bool ReadFileAt(FileHandle file, std::uint64_t offset, void* data, std::size_t size) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t got = pread(static_cast<int>(file), bytes, size, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    bytes += got;
    offset += static_cast<std::uint64_t>(got);
    size -= static_cast<std::size_t>(got);
  }
  return true;
}

std::string LastSystemError() { return errno == 0 ? std::string() : std::strerror(errno); }
void ClearSystemError() { errno = 0; }

bool StdinIsTerminal() { return isatty(0) != 0; }

FileHandle TakeStandardInput() {
  const int data = fcntl(0, F_DUPFD_CLOEXEC, 3);
  if (data < 0) return kInvalidFile;
  int answers = open("/dev/tty", O_RDONLY | O_CLOEXEC);
  if (answers < 0) answers = open("/dev/null", O_RDONLY | O_CLOEXEC);
  if (answers >= 0) {
    dup2(answers, 0);
    close(answers);
  }
  return data;
}

LineStyle StderrLineStyle(std::size_t* columns) {
  *columns = 0;
  if (isatty(2) == 0) return LineStyle::kNone;
  struct winsize size = {};
  if (ioctl(2, TIOCGWINSZ, &size) == 0) *columns = size.ws_col;
  return LineStyle::kEscapes;
}

void WriteWhole(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

}  // namespace parcelo
