// Case folding of A to Z only: the program's texts are Windows-1252 bytes, and
// no byte above 0x7F changes case.
#pragma once

#include <string>
#include <string_view>

namespace velk0::platform {

inline char lower_ascii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The same on the text itself, with no copy of it (a whole file's text).
inline void lower_ascii_in_place(std::string& text) {
  for (char& c : text) c = lower_ascii(c);
}

inline std::string lower_ascii(std::string_view text) {
  std::string out(text);
  lower_ascii_in_place(out);
  return out;
}

}  // namespace velk0::platform
