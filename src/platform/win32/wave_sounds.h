// Recorded sounds, played synchronously with sndPlaySoundA.
#pragma once

#include "platform/platform.h"

namespace velk0::platform::win32 {

class WaveSounds : public SoundCues {
 public:
  CueFile play(std::string_view system_path) override;
};

}  // namespace velk0::platform::win32
