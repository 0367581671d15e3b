// Where a run shows how far it is and asks its questions: the progress dialog in the
// Windows program, the terminal on the command line. The run never sees a window.
#pragma once

#include <cstdint>
#include <string>

namespace parcelo {

class SplitProgress {
 public:
  // A message box of the run; returns the answer (kIdOk, kIdYes, ...).
  virtual int Ask(const std::string& text, const std::string& caption, unsigned style) = 0;
  virtual void ShowCaption(const std::string& text) = 0;
  virtual void ShowStatus(const std::string& text) = 0;
  // The bar runs from 0 to maximum.
  virtual void SetRange(std::uint32_t maximum) = 0;
  virtual void SetPosition(std::uint32_t position) = 0;
  virtual void Step(std::int32_t delta) = 0;
  // Whether the user may stop or close the run now.
  virtual void EnableStop(bool enabled) = 0;
  // The pieces and the join file are written; the last questions may follow.
  virtual void ShowFinished() = 0;
  // The request is done with: the next one starts like the first.
  virtual void ForgetRequest() = 0;
  // The run's window goes, and with closeProgram the program's too.
  virtual void Close(bool closeProgram) = 0;

 protected:
  ~SplitProgress() = default;
};

// The run's progress of the moment; the front end installs it before it prepares a run.
extern SplitProgress* splitProgress;

}  // namespace parcelo
