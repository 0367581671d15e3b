// A machine for the install phases: drive C: on a temporary folder with a Windows folder,
// its Start Menu and Desktop, a package folder as the current directory (with the
// package's files and "Uninstaller.exe"), and the run's state reset. Paths in tests are
// DOS paths; Host() gives the file behind one.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "package/install_package.h"
#include "phases/install_run.h"
#include "test_system.h"

namespace qinstall {

struct ShortcutSpec {
  std::string name;
  std::string target;
  std::string description;
  std::string iconLocation;
  unsigned placement;
};

class InstallWorld {
 public:
  InstallWorld();
  ~InstallWorld();

  static constexpr const char* kProduct = "Tavrin Sample";
  static constexpr const char* kDestination = "C:\\Apps\\Sample";
  static constexpr const char* kStartMenu = "C:\\WINDOWS\\Start Menu\\Programs\\Sample";
  static constexpr const char* kDesktop = "C:\\WINDOWS\\Desktop";
  static inline const WindowHandle kProgress = reinterpret_cast<WindowHandle>(0x200);

  // Fills the package; each file also appears in the package folder, holding "new <name>".
  void SetPackage(const std::vector<std::string>& files,
                  const std::vector<ShortcutSpec>& shortcuts,
                  const std::vector<std::string>& extras = {},
                  const std::string& destination = kDestination,
                  const std::string& startMenu = "Programs\\Sample");
  // The package of most tests: three files, a link in both places, one desktop-only link.
  void SetSamplePackage();

  std::string Host(const std::string& dosPath) const;
  void Put(const std::string& dosPath, const std::string& bytes) const;  // makes folders
  void MakeFolder(const std::string& dosPath) const;
  bool Exists(const std::string& dosPath) const;
  std::string Read(const std::string& dosPath) const;

  // Every folder and file of drive C: ("<folder>" for folders), by DOS path.
  std::map<std::string, std::string> Snapshot() const;

  // The run's state as a new run starts it.
  void NewRun();

  // The install worker, on this thread.
  void RunInstall();

  // Texts of the boxes shown, in order.
  std::vector<std::string> BoxTexts() const;
  int Closes() const;  // WM_CLOSE sent to the progress dialog
  int Steps() const;   // progress steps

  TestSystem system;
  TempFolder root;
};

// Changes between two snapshots, one line each ("+ path", "- path", "~ path"), sorted.
std::vector<std::string> Changes(const std::map<std::string, std::string>& before,
                                 const std::map<std::string, std::string>& after);

}  // namespace qinstall
