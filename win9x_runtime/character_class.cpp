// The <cctype> functions the programs call, as the C runtime answers them in its "C" locale,
// which these programs never leave: ASCII only. The headers declare them imported from the
// runtime DLL, so calls go through an import slot; the slots are defined here too.
#include <_mingw.h>

namespace {

bool IsUpper(int c) { return c >= 'A' && c <= 'Z'; }
bool IsLower(int c) { return c >= 'a' && c <= 'z'; }
bool IsDigit(int c) { return c >= '0' && c <= '9'; }

int IsAlphaChar(int c) { return IsUpper(c) || IsLower(c); }
int IsAlnumChar(int c) { return IsUpper(c) || IsLower(c) || IsDigit(c); }
int IsDigitChar(int c) { return IsDigit(c); }
int IsSpaceChar(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
int ToUpperChar(int c) { return IsLower(c) ? c - 'a' + 'A' : c; }
int ToLowerChar(int c) { return IsUpper(c) ? c - 'A' + 'a' : c; }

}  // namespace

extern "C" {
int (*__MINGW_IMP_SYMBOL(isalpha))(int) = IsAlphaChar;
int (*__MINGW_IMP_SYMBOL(isalnum))(int) = IsAlnumChar;
int (*__MINGW_IMP_SYMBOL(isdigit))(int) = IsDigitChar;
int (*__MINGW_IMP_SYMBOL(isspace))(int) = IsSpaceChar;
int (*__MINGW_IMP_SYMBOL(toupper))(int) = ToUpperChar;
int (*__MINGW_IMP_SYMBOL(tolower))(int) = ToLowerChar;
}
