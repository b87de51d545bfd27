// What the POSIX sound tests render with, and how they tell sound from
// silence in the 16-bit files they read back.
#pragma once

namespace velk0::testing {

inline constexpr const char* kSoundFont = "/usr/share/sounds/sf2/default-GM.sf2";
inline constexpr int kRate = 44100;
// A piano note at full velocity peaks well above this; silence is 0.
inline constexpr int kAudible = 400;

}  // namespace velk0::testing
