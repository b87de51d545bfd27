// The naming table: every interval and chord pattern the program can name.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

namespace velk0::naming {

// One pattern ("%d " per step) and its name, in code page 850 bytes.
struct NamedPattern {
  std::string_view pattern;
  std::string_view name;
};

// The degree of each note, bass first, shared by the patterns of the line.
struct DegreeLine {
  std::initializer_list<std::int8_t> degrees;
  std::initializer_list<NamedPattern> patterns;
};

// The lines for chords of `notes` notes (2 to 5); empty for any other count.
std::span<const DegreeLine> lines_for(int notes);

}  // namespace velk0::naming
