#include "platform/win32/wave_sounds.h"

// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include <string>

namespace velk0::platform::win32 {

CueFile WaveSounds::play(std::string_view system_path) {
  std::string path(system_path);
  sndPlaySoundA(path.c_str(), 0);
  return {};
}

}  // namespace velk0::platform::win32
