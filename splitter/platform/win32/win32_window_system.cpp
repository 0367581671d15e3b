#include "platform/win32/win32_window_system.h"

#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>

#include <vector>

namespace parcelo {
namespace {

HWND ToWindow(WindowHandle window) { return static_cast<HWND>(window); }

constexpr std::uint32_t kNativeProgressMax = 0xFFFF;

class Guard {
 public:
  explicit Guard(CRITICAL_SECTION* lock) : lock_(lock) { EnterCriticalSection(lock_); }
  ~Guard() { LeaveCriticalSection(lock_); }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

 private:
  CRITICAL_SECTION* lock_;
};

}  // namespace

// Logical state of each progress bar, so that 32-bit ranges survive the 16-bit control.
struct Win32WindowSystem::ProgressBars {
  struct Bar {
    std::uint32_t minimum = 0;  // the control's defaults
    std::uint32_t maximum = 100;
    std::uint32_t position = 0;
    bool scaled = false;
  };

  ProgressBars() { InitializeCriticalSection(&lock); }
  ~ProgressBars() { DeleteCriticalSection(&lock); }

  static std::uint32_t Clamp(const Bar& bar, std::int64_t value) {
    std::int64_t low = bar.minimum < bar.maximum ? bar.minimum : bar.maximum;
    std::int64_t high = bar.minimum < bar.maximum ? bar.maximum : bar.minimum;
    if (value < low) return static_cast<std::uint32_t>(low);
    if (value > high) return static_cast<std::uint32_t>(high);
    return static_cast<std::uint32_t>(value);
  }

  static std::uint32_t Span(const Bar& bar) {
    return bar.maximum > bar.minimum ? bar.maximum - bar.minimum : 0;
  }

  static std::uint32_t NativeMax(const Bar& bar) {
    std::uint32_t span = Span(bar);
    return span < kNativeProgressMax ? span : kNativeProgressMax;
  }

  static std::uint32_t NativePos(const Bar& bar) {
    std::uint32_t span = Span(bar);
    if (span == 0 || bar.position <= bar.minimum) return 0;
    std::uint64_t offset = bar.position - bar.minimum;
    return static_cast<std::uint32_t>(offset * NativeMax(bar) / span);
  }

  // A handful of bars at most: a list is enough, and needs nothing from the C++ library.
  Bar& Of(WindowHandle dialog, int id) {
    for (Keyed& keyed : bars) {
      if (keyed.dialog == dialog && keyed.id == id) return keyed.bar;
    }
    bars.push_back({dialog, id, Bar{}});
    return bars.back().bar;
  }

  struct Keyed {
    WindowHandle dialog;
    int id;
    Bar bar;
  };
  CRITICAL_SECTION lock;
  std::vector<Keyed> bars;
};

Win32WindowSystem::Win32WindowSystem() : progress_(new ProgressBars) {}

Win32WindowSystem::~Win32WindowSystem() { delete progress_; }
int Win32WindowSystem::ShowMessageBox(WindowHandle owner, const std::string& text,
                                const std::string& caption, unsigned style) {
  return MessageBoxA(ToWindow(owner), text.c_str(), caption.c_str(), style);
}

void Win32WindowSystem::SetItemText(WindowHandle dialog, int id, const std::string& text) {
  SetDlgItemTextA(ToWindow(dialog), id, text.c_str());
}

// The lock is never held across SendMessage: a worker blocked in SendMessage while
// the UI thread waits for the lock would never return.
void Win32WindowSystem::ProgressSetRange(WindowHandle dialog, int id, std::uint32_t minimum,
                                   std::uint32_t maximum) {
  bool wasScaled;
  ProgressBars::Bar bar;
  {
    Guard guard(&progress_->lock);
    ProgressBars::Bar& state = progress_->Of(dialog, id);
    wasScaled = state.scaled;
    state.minimum = minimum;
    state.maximum = maximum;
    state.scaled = maximum > kNativeProgressMax;
    state.position = ProgressBars::Clamp(state, state.position);  // as the control does
    bar = state;
  }
  HWND control = GetDlgItem(ToWindow(dialog), id);
  if (!bar.scaled) {
    SendMessageA(control, PBM_SETRANGE, 0, MAKELPARAM(minimum, maximum));
    // The control still holds a scaled position from the previous range.
    if (wasScaled) SendMessageA(control, PBM_SETPOS, bar.position, 0);
    return;
  }
  SendMessageA(control, PBM_SETRANGE, 0, MAKELPARAM(0, ProgressBars::NativeMax(bar)));
  SendMessageA(control, PBM_SETPOS, ProgressBars::NativePos(bar), 0);
}

void Win32WindowSystem::ProgressSetPos(WindowHandle dialog, int id, std::uint32_t position) {
  ProgressBars::Bar bar;
  {
    Guard guard(&progress_->lock);
    ProgressBars::Bar& state = progress_->Of(dialog, id);
    state.position = ProgressBars::Clamp(state, position);
    bar = state;
  }
  SendMessageA(GetDlgItem(ToWindow(dialog), id), PBM_SETPOS,
               bar.scaled ? ProgressBars::NativePos(bar) : position, 0);
}

void Win32WindowSystem::ProgressDelta(WindowHandle dialog, int id, std::int32_t delta) {
  ProgressBars::Bar bar;
  {
    Guard guard(&progress_->lock);
    ProgressBars::Bar& state = progress_->Of(dialog, id);
    state.position = ProgressBars::Clamp(state, static_cast<std::int64_t>(state.position) + delta);
    bar = state;
  }
  HWND control = GetDlgItem(ToWindow(dialog), id);
  if (bar.scaled) {
    SendMessageA(control, PBM_SETPOS, ProgressBars::NativePos(bar), 0);
  } else {
    SendMessageA(control, PBM_DELTAPOS, static_cast<WPARAM>(delta), 0);
  }
}

void Win32WindowSystem::UpdateToolTip(WindowHandle toolTip, WindowHandle dialog, int id,
                                const std::string& text) {
  if (toolTip == nullptr) return;
  TOOLINFOA info = {};
  // Win95's comctl32 rejects the larger structures of later versions.
#ifdef TTTOOLINFOA_V1_SIZE
  info.cbSize = TTTOOLINFOA_V1_SIZE;
#else
  info.cbSize = sizeof(info);
#endif
  info.uFlags = TTF_IDISHWND;
  info.hwnd = ToWindow(dialog);
  info.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(ToWindow(dialog), id));
  info.lpszText = const_cast<char*>(text.c_str());  // the control copies it
  SendMessageA(ToWindow(toolTip), TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&info));
}

void Win32WindowSystem::CloseWindow(WindowHandle window) {
  if (window != nullptr) SendMessageA(ToWindow(window), WM_CLOSE, 0, 0);
}

void Win32WindowSystem::PlaySystemSound(const std::string& alias) {
  sndPlaySoundA(alias.c_str(), SND_SYNC);
}

}  // namespace parcelo
