// The media control interface: the "sequencer" and "waveaudio" devices
// driven with mciSendCommandA, one open at a time.
#pragma once

// clang-format off
#include <windows.h>
#include <mmsystem.h>
// clang-format on

#include "platform/platform.h"

namespace velk0::platform::win32 {

class MciMedia : public Media {
 public:
  ~MciMedia() override;
  unsigned open(MediaType type, std::string_view system_path) override;
  // The sequencer's MIDI port (MCI_SEQ_STATUS_PORT).
  unsigned port(int& port) override;
  // Plays with no range and no wait.
  unsigned play() override;
  unsigned pause() override;
  // Where a device has no resume (the sequencer on some systems), it plays
  // on from where it stands instead.
  unsigned resume() override;
  unsigned seek_start() override;
  unsigned close() override;

 private:
  MCIDEVICEID device_ = 0;
};

}  // namespace velk0::platform::win32
