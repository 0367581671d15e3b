// Drives the real dialogs of another program under the same Windows (or Wine) session,
// as a person would, from a step script: one step a line, fields separated by tabs.
//
//   window  TITLE ID          wait for a dialog titled TITLE holding control ID; it becomes current
//   text    ID VALUE          type VALUE over an edit's text
//   click   ID                press a button, radio button or check box
//   select  ID INDEX          select a list entry (the dialog hears of the change)
//   read    ID EXPECTED       the item's text must be EXPECTED
//   checked ID 0|1            the button's check state must be this
//   enabled ID 0|1            the item's enabled state must be this
//   box     CAPTION TEXT ANSWER   wait for a message box, compare its text ("*" for any),
//                             answer ok|cancel|yes|no|retry, or none to leave it open
//   waittext ID PREFIX        wait until the item's text begins with PREFIX
//   nobox   MS                no message box may appear within MS milliseconds
//   gone    TITLE             wait until no dialog titled TITLE holding the current's ids is left
//   close                     send WM_CLOSE to the current dialog (its close box)
//   key     ID enter|escape   press the key with the item focused, through the dialog manager
//   sleep   MS
//   exec    COMMANDLINE       start a program (the one under test) and go on
//
// Message box texts take \n for a line break; item texts are taken as written (paths). Every message box seen is logged with caption and text.
// Each wait ends after the timeout (PARCELO_DRIVER_TIMEOUT seconds, default 30) with a failure.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

DWORD timeoutMs = 30000;
HWND current = nullptr;
int lineNumber = 0;

std::string Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
      out += '\n';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c != '\r') {
      out += c;
    }
  }
  return out;
}

// WM_GETTEXT, not GetWindowText: across processes the latter never asks a control.
std::string TextOf(HWND window) {
  char buffer[4096] = "";
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer),
                      SMTO_ABORTIFHUNG, 5000, &copied);
  return buffer;
}

[[noreturn]] void Fail(const std::string& why) {
  std::printf("FAIL line %d: %s\n", lineNumber, why.c_str());
  std::fflush(stdout);
  std::exit(1);
}

// A message box has its text static 0xFFFF, an icon and the answer buttons (ids below 100);
// the programs' own dialogs all hold a higher button id, an edit, a list or a progress bar.
bool IsMessageBox(HWND window) {
  bool hasText = false, hasOther = false;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    char className[64] = "";
    GetClassNameA(child, className, sizeof className);
    const std::string kind = className;
    const int id = GetDlgCtrlID(child);
    if (id == 0xFFFF && kind == "Static") {
      hasText = true;
    } else if (kind == "Button" ? id >= 100 : kind != "Static") {
      hasOther = true;
    }
  }
  return hasText && !hasOther;
}

struct Search {
  std::string title;
  int id;       // for dialogs: a control the dialog must hold
  bool box;     // looking for a message box
  HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  char className[64] = "";
  GetClassNameA(window, className, sizeof className);
  if (std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
  if (!search->title.empty() && TextOf(window) != search->title) return TRUE;
  if (search->box ? !IsMessageBox(window)
                  : (IsMessageBox(window) || GetDlgItem(window, search->id) == nullptr)) {
    return TRUE;
  }
  search->found = window;
  return FALSE;
}

HWND Find(const std::string& title, int id, bool box) {
  Search search{title, id, box, nullptr};
  EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK Describe(HWND window, LPARAM param) {
  std::string* list = reinterpret_cast<std::string*>(param);
  char className[64] = "";
  GetClassNameA(window, className, sizeof className);
  DWORD process = 0;
  const DWORD thread = GetWindowThreadProcessId(window, &process);
  int children = 0;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    ++children;
  }
  char line[512];
  std::snprintf(line, sizeof line, "  %p class %s, \"%s\", %s, %s, owner %p, process %lx thread %lx, %d children\n",
                static_cast<void*>(window), className, Escape(TextOf(window)).c_str(),
                IsWindowVisible(window) ? "visible" : "hidden",
                IsWindowEnabled(window) ? "enabled" : "disabled",
                static_cast<void*>(GetWindow(window, GW_OWNER)), process, thread, children);
  *list += line;
  return TRUE;
}

// What a failed wait saw instead: every top-level window, so that a log tells a dialog that
// never came from one that came under another title or hidden.
std::string TopLevelWindows() {
  std::string list;
  EnumWindows(Describe, reinterpret_cast<LPARAM>(&list));
  return list.empty() ? "  (none)\n" : list;
}

HWND WaitFor(const std::string& title, int id, bool box) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (HWND window = Find(title, id, box)) return window;
    if (GetTickCount() - start > timeoutMs) {
      Fail("timed out waiting for " + std::string(box ? "message box " : "dialog ") + "\"" +
           title + "\"; the top-level windows were:\n" + TopLevelWindows());
    }
    Sleep(50);
  }
}

HWND ItemOf(int id) {
  if (current == nullptr) Fail("no current dialog");
  HWND item = GetDlgItem(current, id);
  if (item == nullptr) Fail("no item " + std::to_string(id));
  return item;
}

std::string BoxText(HWND box) { return TextOf(GetDlgItem(box, 0xFFFF)); }

int AnswerId(const std::string& answer) {
  if (answer == "ok") return IDOK;
  if (answer == "cancel") return IDCANCEL;
  if (answer == "yes") return IDYES;
  if (answer == "no") return IDNO;
  if (answer == "retry") return IDRETRY;
  Fail("unknown answer " + answer);
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

void Need(const std::vector<std::string>& fields, std::size_t count) {
  if (fields.size() < count) Fail("step needs " + std::to_string(count - 1) + " fields");
}

void Step(const std::vector<std::string>& f) {
  const std::string& verb = f[0];
  if (verb == "window") {
    Need(f, 3);
    current = WaitFor(f[1], std::atoi(f[2].c_str()), false);
  } else if (verb == "text") {
    Need(f, 3);
    // Typed over the whole text, as a user would, so that the edit reports the change.
    // The change may open a message box in the program; do not wait for it to be answered.
    HWND item = ItemOf(std::atoi(f[1].c_str()));
    DWORD_PTR result = 0;
    SendMessageTimeoutA(item, EM_SETSEL, 0, -1, SMTO_NORMAL, 5000, &result);
    SendMessageTimeoutA(item, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(f[2].c_str()),
                        SMTO_NORMAL, 1000, &result);
  } else if (verb == "click") {
    Need(f, 2);
    PostMessageA(ItemOf(std::atoi(f[1].c_str())), BM_CLICK, 0, 0);
    Sleep(100);
  } else if (verb == "select") {
    Need(f, 3);
    const int id = std::atoi(f[1].c_str());
    SendMessageA(ItemOf(id), CB_SETCURSEL, std::atoi(f[2].c_str()), 0);
    PostMessageA(current, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(ItemOf(id)));
    Sleep(100);
  } else if (verb == "read") {
    Need(f, 3);
    const std::string text = TextOf(ItemOf(std::atoi(f[1].c_str())));
    if (text != f[2]) Fail("item " + f[1] + " reads \"" + Escape(text) + "\"");
  } else if (verb == "waittext") {
    Need(f, 3);
    const DWORD start = GetTickCount();
    for (;;) {
      const std::string text = TextOf(ItemOf(std::atoi(f[1].c_str())));
      if (text.compare(0, f[2].size(), f[2]) == 0) break;
      if (GetTickCount() - start > timeoutMs) Fail("item " + f[1] + " still reads \"" + Escape(text) + "\"");
      Sleep(10);
    }
  } else if (verb == "checked") {
    Need(f, 3);
    const bool checked =
        SendMessageA(ItemOf(std::atoi(f[1].c_str())), BM_GETCHECK, 0, 0) == BST_CHECKED;
    if (checked != (f[2] == "1")) Fail("item " + f[1] + " check state differs");
  } else if (verb == "enabled") {
    Need(f, 3);
    const bool enabled = IsWindowEnabled(ItemOf(std::atoi(f[1].c_str()))) != FALSE;
    if (enabled != (f[2] == "1")) Fail("item " + f[1] + " enabled state differs");
  } else if (verb == "box") {
    Need(f, 4);
    HWND box = WaitFor(f[1], 0, true);
    const std::string text = BoxText(box);
    std::printf("box \"%s\": \"%s\"\n", TextOf(box).c_str(), Escape(text).c_str());
    std::fflush(stdout);
    if (f[2] != "*" && text != Unescape(f[2])) Fail("box text differs");
    if (f[3] == "none") return;  // left open for the next session to answer
    PostMessageA(box, WM_COMMAND, AnswerId(f[3]), 0);
    // Wait until it is gone, so that the next step does not find it again.
    const DWORD start = GetTickCount();
    while (IsWindow(box) && IsWindowVisible(box)) {
      if (GetTickCount() - start > timeoutMs) Fail("message box did not close");
      Sleep(20);
    }
  } else if (verb == "nobox") {
    Need(f, 2);
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(std::atoi(f[1].c_str()))) {
      if (HWND box = Find("", 0, true)) {
        std::printf("box \"%s\": \"%s\"\n", TextOf(box).c_str(), Escape(BoxText(box)).c_str());
        Fail("unexpected message box");
      }
      Sleep(50);
    }
  } else if (verb == "gone") {
    Need(f, 2);
    const DWORD start = GetTickCount();
    while (current != nullptr && IsWindow(current)) {
      if (GetTickCount() - start > timeoutMs) Fail("dialog \"" + f[1] + "\" did not close");
      Sleep(50);
    }
  } else if (verb == "key") {
    Need(f, 3);
    // Posted into the program's queue, where its loop hands it to the dialog manager.
    const WPARAM key = f[2] == "enter" ? VK_RETURN : f[2] == "escape" ? VK_ESCAPE : 0;
    if (key == 0) Fail("unknown key " + f[2]);
    HWND item = ItemOf(std::atoi(f[1].c_str()));
    PostMessageA(item, WM_KEYDOWN, key, 1);
    PostMessageA(item, WM_KEYUP, key, 0xC0000001);
    Sleep(100);
  } else if (verb == "close") {
    PostMessageA(current, WM_CLOSE, 0, 0);
    Sleep(100);
  } else if (verb == "sleep") {
    Need(f, 2);
    Sleep(std::atoi(f[1].c_str()));
  } else if (verb == "exec") {
    Need(f, 2);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = f[1];
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
      Fail("cannot start " + f[1]);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  } else {
    Fail("unknown step " + verb);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: gui_driver STEPFILE\n", stderr);
    return 2;
  }
  if (const char* seconds = std::getenv("PARCELO_DRIVER_TIMEOUT")) {
    timeoutMs = static_cast<DWORD>(std::atoi(seconds)) * 1000;
  }
  std::ifstream steps(argv[1]);
  if (!steps) {
    std::fprintf(stderr, "gui_driver: cannot read %s\n", argv[1]);
    return 2;
  }
  std::string line;
  const DWORD started = GetTickCount();
  while (std::getline(steps, line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    // The time since the start tells a slow step from a lost one in a failed run's log.
    std::printf("step %d (%lu ms): %s\n", lineNumber,
                static_cast<unsigned long>(GetTickCount() - started), Escape(line).c_str());
    std::fflush(stdout);
    Step(Fields(line));
  }
  std::puts("ok");
  return 0;
}
