// The global playback settings and the current material beside them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace velk0 {

// Capacities of the program's texts and lists.
constexpr std::size_t kArgumentCapacity = 2047;  // argument text
constexpr std::size_t kTablatureCapacity = 511;  // tablature handed to the player
constexpr std::size_t kSymbolCapacity = 11;      // symbols and number texts
constexpr std::size_t kSettingCapacity = 79;     // arma, fictab, indi
constexpr std::size_t kTextCapacity = 2047;      // current texts and pages
constexpr std::size_t kListSize = 2048;          // note lists, element 0 = count
constexpr int kListCapacity = 2047;

using Notes = std::array<std::int8_t, kListSize>;
using Durations = std::array<std::uint32_t, kListSize>;
using Bytes = std::array<std::uint8_t, kListSize>;

// The read form of a tablature: four parallel lists, element 0 holds the count.
struct NoteList {
  Notes notes{};
  Durations durations{};
  Bytes articulations{};
  Bytes marks{};
};

struct PlaySettings {
  std::int32_t dur = 4;
  std::int8_t octa = 3;
  std::int8_t voix = 0;
  std::int32_t mesuredeb = 1;
  std::int32_t mesurefin = 1000;
  std::int32_t repet = 0;
  std::int8_t ton = 0;
  std::int8_t trans = 0;
  std::int8_t degre = 1;
  std::int32_t tempo = 60;
  std::int32_t mesure = 1000;
  std::int32_t num = 0;
  std::int32_t den = 0;
  std::int32_t canal = 1;
  std::int32_t vol = 127;
  std::int32_t instru = 0;
  std::string arma;    // at most kSettingCapacity characters
  std::string fictab;  // at most kSettingCapacity characters
  std::string indi;    // at most kSettingCapacity characters

  // The current material, reset with the settings.
  std::string tabcourante;  // at most kTextCapacity characters
  std::string motif;        // at most kTextCapacity characters
  Notes gamme{};
  Notes accord{};
  Durations durees{};
};

// The one record of current settings, read and changed by every part.
PlaySettings& settings();

// Puts every field and the current material back to the defaults.
void reset_settings();

// Copies at most `capacity` characters of `value` into `field`.
void set_bounded(std::string& field, std::string_view value, std::size_t capacity);

}  // namespace velk0
