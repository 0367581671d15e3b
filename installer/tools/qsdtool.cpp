#include "tools/qsdtool.h"

#include <cstring>
#include <new>

#include "package/load_install_package.h"
#include "package/uninstall_record.h"
#include "platform/system.h"
#include "tools/dump.h"
#include "tools/encode_package.h"
#include "tools/help_text.h"
#include "tools/host.h"
#include "tools/manifest.h"
#include "tools/output_file.h"
#include "tools/system_error_text.h"
#include "tools/text_escape.h"
#include "uninstaller/record_checks.h"
#include "uninstaller/uninstall_names.h"

namespace qinstall {
namespace {

int Usage(std::ostream& err, const std::string& problem) {
  err << "qsdtool: " << problem << '\n' << kQsdtoolUsage;
  return 2;
}

// What path is when it is there but is no regular file, else empty. Reading a FIFO would
// wait for a writer for ever, and a folder or a device is never a data file.
std::string NotAFile(const std::string& path) {
  switch (Files().KindOfPath(SystemPath(path), true)) {
    case PathKind::None:
    case PathKind::File:
      return {};
    case PathKind::Folder:
      return "a folder";
    case PathKind::Fifo:
      return "a FIFO";
    case PathKind::Device:
      return "a device";
    default:
      return "not a regular file";
  }
}

int RefuseNotAFile(const std::string& path, const std::string& what, std::ostream& err) {
  err << "qsdtool: " << path << ": " << what << ", not a file\n";
  return 1;
}

// Through the installer's System, so that a failure comes with the system's code.
bool ReadWholeFile(const std::string& path, std::string* text, std::uint32_t* error) {
  const FileHandle file = Files().OpenExistingForReading(path, error);
  if (file == kInvalidFile) return false;
  char chunk[65536];
  IoResult read;
  do {
    read = Files().ReadFile(file, chunk, sizeof chunk);
    text->append(chunk, read.bytes);
  } while (read.ok && read.bytes == sizeof chunk);
  Files().CloseFile(file);
  *error = read.error;
  return read.ok;
}

bool IsRecord(const std::string& path) {
  std::uint32_t error = 0;
  const FileHandle file = Files().OpenExistingForReading(path, &error);
  if (file == kInvalidFile) return false;
  char magic[3] = {};
  const IoResult read = Files().ReadFile(file, magic, sizeof magic);
  Files().CloseFile(file);
  return read.ok && read.bytes == sizeof magic && std::string(magic, 3) == "QSU";
}

// The manifest's names are DOS paths; the files lie beside the manifest on this host.
std::string HostName(std::string name) {
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  return name;
}

void ReportFailure(const std::string& path, const LoadReport& report, std::ostream& err) {
  err << path << ": does not load: ";
  if (!report.field.empty()) {
    err << "at byte " << report.offset << ", in " << report.field << " (which begins at byte "
        << report.fieldOffset << "): ";
  }
  err << report.reason;
  if (report.systemError != 0) err << ": " << SystemErrorText(report.systemError);
  err << '\n';
}

int Pack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string manifestPath;
  std::string output;
  bool force = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "-o" || args[i] == "--output") {
      if (++i == args.size()) return Usage(err, args[i - 1] + " needs a file name");
      output = args[i];
    } else if (args[i] == "--force") {
      force = true;
    } else if (!args[i].empty() && args[i][0] == '-') {
      return Usage(err, "unknown option " + args[i]);
    } else if (manifestPath.empty()) {
      manifestPath = args[i];
    } else {
      return Usage(err, "pack takes one manifest");
    }
  }
  if (manifestPath.empty()) return Usage(err, "pack needs a manifest");
  if (const std::string what = NotAFile(manifestPath); !what.empty()) {
    return RefuseNotAFile(manifestPath, what, err);
  }
  const std::string folder = ParentFolder(manifestPath);
  if (output.empty()) output = JoinPath(folder, "Install.qsd");

  std::string text;
  if (std::uint32_t error = 0; !ReadWholeFile(SystemPath(manifestPath), &text, &error)) {
    err << "qsdtool: cannot read " << manifestPath << ": " << SystemErrorText(error) << '\n';
    return 1;
  }
  Manifest manifest;
  ParseManifest(text, force, &manifest);
  for (std::size_t i = 0; i < manifest.package.files.size(); ++i) {
    const std::string name = manifest.package.files[i].name;
    if (Files().KindOfPath(SystemPath(JoinPath(folder, HostName(name))), true) == PathKind::None) {
      manifest.issues.push_back(
          {manifest.fileLines[i], false, name + " is not beside the manifest"});
    }
  }
  // Like a compiler, pack never writes over one of its own inputs.
  // Only a file is compared: opening a device to compare it could wait or act.
  const std::string target = SystemPath(output);
  const bool outputIsFile = Files().KindOfPath(target, false) == PathKind::File;
  if (outputIsFile && Files().IsSameFile(target, SystemPath(manifestPath))) {
    manifest.issues.push_back(
        {0, true, "the output " + output + " is the manifest itself; packing would write over it"});
  }
  for (std::size_t i = 0; i < manifest.package.files.size(); ++i) {
    const std::string name = manifest.package.files[i].name;
    if (outputIsFile && Files().IsSameFile(target, SystemPath(JoinPath(folder, HostName(name))))) {
      manifest.issues.push_back({manifest.fileLines[i], true,
                                 "file name " + name + " is the output " + output +
                                     "; packing would write over it"});
    }
  }
  int errors = 0;
  for (const ManifestIssue& issue : manifest.issues) {
    err << manifestPath << ':';
    if (issue.line > 0) err << issue.line << ':';
    err << (issue.isError ? " error: " : " warning: ") << issue.text << '\n';
    errors += issue.isError ? 1 : 0;
  }
  if (errors > 0) {
    err << "qsdtool: " << errors << (errors == 1 ? " error" : " errors") << ", nothing written\n";
    return 1;
  }

  const std::string bytes = EncodeInstallPackage(manifest.package);
  if (std::string why; !WriteOutputFile(output, bytes, &why)) {
    err << "qsdtool: " << why << '\n';
    return 1;
  }
  out << "wrote " << output << ": " << bytes.size() << " bytes, " << manifest.package.files.size()
      << " files, " << manifest.package.uninstallExtras.size() << " extras, "
      << manifest.package.shortcuts.size() << " shortcuts\n";
  return 0;
}

struct ShowHow {
  const std::string& path;
  std::uint32_t used;
  std::uint64_t fileSize;
  bool dump;
  bool json;
};

// A package or a record: a one-line summary for check, else its dump.
template <typename Loaded>
void Show(const Loaded& loaded, const char* kind, const ShowHow& how, std::ostream& out) {
  if (!how.dump) {
    out << how.path << ": loads as " << kind << ": " << loaded.files.size() << " files, "
        << loaded.uninstallExtras.size() << " extras, " << loaded.shortcuts.size()
        << " shortcuts, " << how.used << " of " << how.fileSize << " bytes read\n";
  } else if (how.json) {
    DumpJson(loaded, out);
  } else {
    DumpText(loaded, how.used, how.fileSize, out);
  }
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

// What the uninstaller would refuse in the record the installer writes from a package, or
// in a record; empty if nothing.
std::string PackageRefusal(const InstallPackage& package) {
  const std::string product = package.productName;
  if (product.find('\\') != std::string::npos) {
    return "the product name " + Quoted(product) + " holds a backslash";
  }
  if (const std::string problem = StartMenuFolderProblem(package.startMenuFolder);
      !problem.empty()) {
    return "the Start Menu folder " + Quoted(package.startMenuFolder) + " " + problem;
  }
  for (const FileEntry& file : package.files) {
    if (const std::string problem = RelativeNameProblem(file.name); !problem.empty()) {
      return "the file name " + Quoted(file.name) + " " + problem;
    }
  }
  for (const ShortcutEntry& shortcut : package.shortcuts) {
    if (const std::string problem = RelativeNameProblem(shortcut.name); !problem.empty()) {
      return "the shortcut name " + Quoted(shortcut.name) + " " + problem;
    }
  }
  for (std::size_t i = 0; i < package.uninstallExtras.size(); ++i) {
    UninstallExtra extra;
    const std::string text = package.uninstallExtras[i].data();
    if (const std::string problem = ReadUninstallExtra(text, &extra); !problem.empty()) {
      return "uninstallExtras[" + std::to_string(i) + "] '" + text + "' " + problem;
    }
  }
  return {};
}

// The record holds no Windows folder; its Start Menu folder begins with it.
std::string RecordRefusal(const UninstallRecord& record) {
  const std::string startMenu = record.startMenuFolder;
  std::string windowsFolder = "C:\\WINDOWS";
  for (std::size_t at = 0; at + 12 <= startMenu.size(); ++at) {
    if (SameTextNoCase(startMenu.substr(at, 12), "\\Start Menu\\")) {
      windowsFolder = startMenu.substr(0, at);
      break;
    }
  }
  return UninstallRecordProblem(record, windowsFolder);
}

int ReportRefusal(const std::string& path, const std::string& refusal, std::ostream& err) {
  err << path << ": loads, but the uninstaller would refuse it: " << refusal << '\n';
  return 1;
}

// Loads FILE as the kind its magic names; an unknown magic is left to the data-file reader
// to describe.
int Inspect(const std::vector<std::string>& args, bool dump, std::ostream& out,
            std::ostream& err) {
  std::string path;
  bool json = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (dump && args[i] == "--json") {
      json = true;
    } else if (!args[i].empty() && args[i][0] == '-') {
      return Usage(err, "unknown option " + args[i]);
    } else if (path.empty()) {
      path = args[i];
    } else {
      return Usage(err, args[0] + " takes one file");
    }
  }
  if (path.empty()) return Usage(err, args[0] + " needs a file");
  if (const std::string what = NotAFile(path); !what.empty()) return RefuseNotAFile(path, what, err);

  LoadReport report;
  std::uint64_t size = 0;
  Files().FileSize(SystemPath(path), &size);
  if (IsRecord(SystemPath(path))) {
    UninstallRecord record;
    if (!LoadUninstallRecord(SystemPath(path), &record, &report)) {
      ReportFailure(path, report, err);
      return 1;
    }
    if (const std::string refusal = RecordRefusal(record); !dump && !refusal.empty()) {
      return ReportRefusal(path, refusal, err);
    }
    Show(record, "Uninstall.qsu", {path, report.offset, size, dump, json}, out);
    return 0;
  }
  if (!LoadInstallPackage(SystemPath(path), &report)) {
    ReportFailure(path, report, err);
    return 1;
  }
  const std::string refusal = dump ? std::string() : PackageRefusal(Package());
  if (!dump && refusal.empty() && IsListedNameTooLong(Package().productName)) {
    err << path << ": warning: " << ListedNameWarning(std::strlen(Package().productName)) << '\n';
  }
  if (refusal.empty()) Show(Package(), "Install.qsd", {path, report.offset, size, dump, json}, out);
  ResetInstallPackage();
  return refusal.empty() ? 0 : ReportRefusal(path, refusal, err);
}

}  // namespace

int RunQsdtool(const std::vector<std::string>& args, std::ostream& rawOut,
               std::ostream& rawErr) {
  // Names, extras and headers come from files anyone may hand over: no control character
  // of theirs reaches the terminal. dump escapes its own output, field by field.
  ControlEscaper errEscaper(rawErr);
  ControlEscaper outEscaper(rawOut);
  std::ostream err(&errEscaper);
  std::ostream escapedOut(&outEscaper);
  const bool dump = !args.empty() && args[0] == "dump";
  std::ostream& out = dump ? rawOut : escapedOut;
  if (args.empty()) return Usage(err, "no command");
  const std::string& command = args[0];
  try {
    if (command == "--help" || command == "-h" || command == "help") {
      out << kQsdtoolHelp;
      return 0;
    }
    if (command == "pack") return Pack(args, out, err);
    if (command == "dump") return Inspect(args, true, out, err);
    if (command == "check") return Inspect(args, false, out, err);
  } catch (const std::bad_alloc&) {
    err << "qsdtool: out of memory\n";
    return 1;
  }
  return Usage(err, "unknown command " + command);
}

}  // namespace qinstall
