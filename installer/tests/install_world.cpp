#include "install_world.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "phases/install_phases.h"
#include "phases/install_worker.h"
#include "platform/posix/posix_file_system.h"

namespace qinstall {
namespace fs = std::filesystem;

InstallWorld::InstallWorld() {
  fs::create_directories(root.path() + "/c/WINDOWS/Start Menu/Programs");
  fs::create_directories(root.path() + "/c/WINDOWS/Desktop");
  fs::create_directories(root.path() + "/c/Apps");
  fs::create_directories(root.path() + "/package");
  HostFiles().MapDrive('C', root.path() + "/c");
  HostFiles().SetCurrentFolder(root.path() + "/package");
  root.Write("package/Uninstaller.exe", "uninstaller");
  system.windowsFolder = "C:\\WINDOWS";
  ResetInstallPackage();
  NewRun();
}

void InstallWorld::NewRun() {
  ResetInstallRun();
  Run().progressDialog = kProgress;
}

InstallWorld::~InstallWorld() {
  ResetInstallPackage();
  ResetInstallRun();
}

void InstallWorld::SetPackage(const std::vector<std::string>& files,
                              const std::vector<ShortcutSpec>& shortcuts,
                              const std::vector<std::string>& extras,
                              const std::string& destination, const std::string& startMenu) {
  InstallPackage& package = Package();
  std::strcpy(package.productName, kProduct);
  std::strcpy(package.destinationFolder, destination.c_str());
  std::strcpy(package.startMenuFolder, startMenu.c_str());
  AllocateSlots(package.files, files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::strcpy(package.files[i].name, files[i].c_str());
    const fs::path source = fs::path(root.path()) / "package" / files[i];
    fs::create_directories(source.parent_path());
    std::ofstream(source, std::ios::binary) << "new " << files[i];
  }
  AllocateSlots(package.uninstallExtras, extras.size());
  for (std::size_t i = 0; i < extras.size(); ++i) {
    std::strcpy(package.uninstallExtras[i].data(), extras[i].c_str());
  }
  AllocateSlots(package.shortcuts, shortcuts.size());
  for (std::size_t i = 0; i < shortcuts.size(); ++i) {
    ShortcutEntry& entry = package.shortcuts[i];
    std::strcpy(entry.name, shortcuts[i].name.c_str());
    std::strcpy(entry.target, shortcuts[i].target.c_str());
    std::strcpy(entry.description, shortcuts[i].description.c_str());
    std::strcpy(entry.iconLocation, shortcuts[i].iconLocation.c_str());
    entry.placement = static_cast<ShortcutPlacement>(shortcuts[i].placement);
  }
}

void InstallWorld::SetSamplePackage() {
  SetPackage({"Readme.txt", "Notes.txt", "Settings.ini"},
             {{"Read Me.lnk", "Readme.txt", "What it is", "Readme.txt", 0},
              {"Notes.lnk", "Notes.txt", "The notes", "Notes.txt,2", 2}},
             {"HKEY_CURRENT_USER\\Software\\Tavrin\\Sample"});
}

std::string InstallWorld::Host(const std::string& dosPath) const {
  std::string host;
  HostFiles().ToHostPath(dosPath, &host);
  return host;
}

void InstallWorld::Put(const std::string& dosPath, const std::string& bytes) const {
  const fs::path host = Host(dosPath);
  fs::create_directories(host.parent_path());
  std::ofstream(host, std::ios::binary) << bytes;
}

void InstallWorld::MakeFolder(const std::string& dosPath) const {
  fs::create_directories(Host(dosPath));
}

bool InstallWorld::Exists(const std::string& dosPath) const { return fs::exists(Host(dosPath)); }

std::string InstallWorld::Read(const std::string& dosPath) const {
  return ReadFileBytes(Host(dosPath));
}

std::map<std::string, std::string> InstallWorld::Snapshot() const {
  std::map<std::string, std::string> entries;
  const fs::path drive = root.path() + "/c";
  for (const auto& entry : fs::recursive_directory_iterator(drive)) {
    std::string dos = "C:\\" + fs::relative(entry.path(), drive).string();
    for (char& c : dos) {
      if (c == '/') c = '\\';
    }
    entries[dos] = entry.is_directory() ? "<folder>" : ReadFileBytes(entry.path().string());
  }
  return entries;
}

void InstallWorld::RunInstall() { InstallWorker(); }

std::vector<std::string> InstallWorld::BoxTexts() const {
  std::vector<std::string> texts;
  for (const Box& box : system.boxes) texts.push_back(box.text);
  return texts;
}

int InstallWorld::Closes() const {
  int closes = 0;
  for (const std::string& call : system.calls) {
    if (call == "CloseWindow " + std::to_string(reinterpret_cast<std::uintptr_t>(kProgress))) {
      ++closes;
    }
  }
  return closes;
}

int InstallWorld::Steps() const {
  int steps = 0;
  for (const std::string& call : system.calls) steps += call == "ProgressDelta 102 1";
  return steps;
}

std::vector<std::string> Changes(const std::map<std::string, std::string>& before,
                                 const std::map<std::string, std::string>& after) {
  std::vector<std::string> changes;
  for (const auto& [path, bytes] : before) {
    const auto found = after.find(path);
    if (found == after.end()) {
      changes.push_back("- " + path);
    } else if (found->second != bytes) {
      changes.push_back("~ " + path);
    }
  }
  for (const auto& [path, bytes] : after) {
    if (before.count(path) == 0) changes.push_back("+ " + path);
  }
  std::sort(changes.begin(), changes.end());
  return changes;
}

}  // namespace qinstall
