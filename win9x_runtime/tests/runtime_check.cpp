// A GUI program on the runtime alone, run under Wine by e2e/wine_runtime_test.sh. It checks
// what the runtime does before, during and after WinMain, and writes what it found to the
// file named first on its command line:
//   runtime_check REPORT                 the checks; exit code 100 when all passed
//   runtime_check REPORT out-of-memory   a plain new that cannot be met
//   runtime_check REPORT out-of-range    a string position past the end
#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

HANDLE report = INVALID_HANDLE_VALUE;
int failures = 0;

void Write(const std::string& line) {
  const std::string text = line + "\r\n";
  DWORD done = 0;
  WriteFile(report, text.data(), static_cast<DWORD>(text.size()), &done, nullptr);
}

void Check(bool passed, const char* what) {
  if (!passed) {
    ++failures;
    Write(std::string("FAIL ") + what);
  }
}

// Static objects: their constructors must have run before WinMain, in the order written;
// their destructors run at the end, after WinMain returns.
int order[2];
int constructed = 0;
bool attributeConstructorRan = false;

struct Recorded {
  explicit Recorded(int n) : n_(n) { order[constructed++] = n; }
  ~Recorded() { Write("EXIT static object " + std::to_string(n_)); }
  int n_;
};
Recorded first(1);
Recorded second(2);
const std::string greeting = std::string("built ") + "before WinMain";

__attribute__((constructor)) void MarkConstructorAttribute() { attributeConstructorRan = true; }
__attribute__((destructor)) void EndDestructorAttribute() { Write("EXIT destructor attribute"); }

void AtExit() { Write("EXIT atexit"); }

struct Local {
  ~Local() { Write("EXIT function-local static"); }
};

void UseLocal() { static Local local; }

// Sizes the compiler cannot see, so that the calls reach the runtime's functions.
volatile std::size_t eight = 8;
volatile std::size_t huge = static_cast<std::size_t>(-1) / 2;
// Where allocations go, so that the compiler cannot drop them as unused.
char* volatile kept = nullptr;

void CheckMemoryFunctions() {
  char buffer[16] = "abcdefgh";
  std::memmove(buffer + 2, buffer, eight);  // overlapping, forwards
  Check(std::memcmp(buffer, "ababcdefgh", 10) == 0, "memmove forwards");
  std::memmove(buffer, buffer + 2, eight);  // overlapping, backwards
  Check(std::memcmp(buffer, "abcdefghgh", 10) == 0, "memmove backwards");
  std::memset(buffer, 'x', eight - 5);
  Check(std::memcmp(buffer, "xxxdefgh", eight) == 0, "memset");
  std::memcpy(buffer, "12345678", eight);
  Check(std::memcmp(buffer, "12345678", eight) == 0, "memcpy");
  const unsigned char high[] = {0x80}, low[] = {0x7F};
  Check(std::memcmp(high, low, eight - 7) > 0, "memcmp compares unsigned bytes");
  Check(std::memchr(buffer, '5', eight) == buffer + 4, "memchr finds");
  Check(std::memchr(buffer, '9', eight) == nullptr, "memchr misses");
  Check(std::strlen(buffer + eight - 8) == 8 + std::strlen(buffer + 8), "strlen");
}

void CheckHeap() {
  char* block = new char[100];
  Check(HeapValidate(GetProcessHeap(), 0, block) != FALSE, "new takes from the process heap");
  delete[] block;
  kept = new (std::nothrow) char[huge];
  Check(kept == nullptr, "a nothrow new that cannot be met is null");
  kept = static_cast<char*>(std::malloc(huge));
  Check(kept == nullptr, "a malloc that cannot be met is null");
  std::free(nullptr);
  std::vector<std::string> many;
  for (int i = 0; i < 2000; ++i) many.push_back(std::to_string(i) + " of many strings on the heap");
  Check(many[1999] == "1999 of many strings on the heap", "vector of strings");
}

void CheckCharacters() {
  Check(std::toupper('a') == 'A' && std::tolower('Q') == 'q' && std::toupper('1') == '1',
        "toupper and tolower");
  Check(std::toupper(0xE9) == 0xE9 && !std::isalpha(0xE9), "the C locale has ASCII letters only");
  Check(std::isalnum('z') && std::isalnum('0') && !std::isalnum('_'), "isalnum");
  Check(std::isspace(' ') && std::isspace('\v') && !std::isspace('x'), "isspace");
  Check(std::isdigit('9') && !std::isdigit('a'), "isdigit");
}

void CheckStrings() {
  std::string text = greeting;
  text += ", grown well past the sixteen bytes a short string holds in place";
  Check(text.find("sixteen") == 42 && text.substr(0, 5) == "built", "string find and substr");
  Check(text.compare("built") > 0 && std::string("a") < std::string("b"), "string compare");
  text.replace(0, 5, "made");
  Check(text.rfind("made", 0) == 0, "string replace");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const std::string tail = commandLine;
  const std::size_t space = tail.find(' ');
  report = CreateFileA(tail.substr(0, space).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  if (report == INVALID_HANDLE_VALUE) return 1;
  Write("TAIL " + tail);
  const std::string mode = space == std::string::npos ? "" : tail.substr(space + 1);
  if (mode == "out-of-memory") {
    Write("asking for memory that cannot be had");
    kept = new char[huge];
    Write("new returned");
    return 1;
  }
  if (mode == "out-of-range") {
    Write("reading past the end of a string");
    Write(greeting.substr(greeting.size() + 1));
    return 1;
  }

  Check(instance == GetModuleHandleA(nullptr), "the instance is the program's module");
  Check(constructed == 2 && order[0] == 1 && order[1] == 2,
        "static constructors ran in order before WinMain");
  Check(attributeConstructorRan, "constructor functions ran before WinMain");
  Check(greeting == "built before WinMain", "a static string was built");
  CheckMemoryFunctions();
  CheckHeap();
  CheckCharacters();
  CheckStrings();
  UseLocal();
  std::atexit(AtExit);
  Write("CHECKS " + std::to_string(failures) + " failed");
  return 100 + failures;
}
