// The library's headers declare std::string's members extern and expect libstdc++ to hold
// them; without libstdc++ this is where they are made.
#include <string>

template class std::basic_string<char>;
