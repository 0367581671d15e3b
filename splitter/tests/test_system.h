// A System for tests: real files through the POSIX System, with scripted answers to
// message boxes, a record of every box and window call, faults injected by operation and
// call number, scripted free space, and a ledger of handles and buffers.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/system.h"

namespace parcelo {

enum class Op { OpenRead, Create, Read, Write, Close, Find, Remove, FreeBytes, Allocate };

struct Box {
  WindowHandle owner;
  std::string text;
  std::string caption;
  unsigned style;
};

class TestSystem : public ForwardingSystem {
 public:
  explicit TestSystem(System* inner) : ForwardingSystem(inner) {}

  // The nth call (from 1) of op fails with error.
  void FailCall(Op op, int n, std::uint32_t error) { faults_[{op, n}] = error; }
  int Calls(Op op) const;

  // Answers to boxes in order; an empty queue gives OK to a lone OK button and the
  // cautious answer (Cancel, No) otherwise. onBox, when set, answers instead.
  std::deque<int> answers;
  std::function<int(const Box&)> onBox;
  std::vector<Box> boxes;

  // Free bytes returned by the next measurements; when empty, the real drive answers.
  std::deque<std::uint64_t> freeBytes;

  // Called before every counted operation, with its call number.
  std::function<void(Op, int)> beforeCall;

  // Window calls: "text <id> <text>", "range <min> <max>", "pos <n>", "delta <n>",
  // "tip <id> <text>", "close", "sound <alias>".
  std::vector<std::string> windowCalls;
  std::vector<WindowHandle> closedWindows;
  std::vector<std::string> TextsOf(int id) const;
  int Deltas() const;

  // Ledger: what is open or allocated now, and releases of what was not held.
  std::set<FileHandle> openFiles;
  std::set<void*> liveBuffers;
  int badReleases = 0;

  FileHandle OpenForReading(const std::string& path, std::uint32_t* error) override;
  FileHandle CreateForWriting(const std::string& path, std::uint32_t* error) override;
  IoResult ReadFile(FileHandle file, void* buffer, std::uint32_t count) override;
  IoResult WriteFile(FileHandle file, const void* data, std::uint32_t count) override;
  void CloseFile(FileHandle file) override;
  bool FindFile(const std::string& path, FoundFile* found) override;
  bool RemoveFile(const std::string& path) override;
  std::uint64_t FreeBytes(const std::string& root) override;
  void* AllocateBuffer(std::uint32_t size) override;
  void FreeBuffer(void* buffer) override;
  int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                     unsigned style) override;
  void SetItemText(WindowHandle dialog, int id, const std::string& text) override;
  void ProgressSetRange(WindowHandle dialog, int id, std::uint32_t minimum,
                        std::uint32_t maximum) override;
  void ProgressSetPos(WindowHandle dialog, int id, std::uint32_t position) override;
  void ProgressDelta(WindowHandle dialog, int id, std::int32_t delta) override;
  void UpdateToolTip(WindowHandle toolTip, WindowHandle dialog, int id,
                     const std::string& text) override;
  void CloseWindow(WindowHandle window) override;
  void PlaySystemSound(const std::string& alias) override;

 private:
  // Counts the call; true with *error set when it is to fail.
  bool Inject(Op op, std::uint32_t* error);

  std::map<Op, int> calls_;
  std::map<std::pair<Op, int>, std::uint32_t> faults_;
};

}  // namespace parcelo
