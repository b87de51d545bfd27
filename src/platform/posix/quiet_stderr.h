// Sound libraries (ALSA, JACK, the sequencer client) report a missing device
// on standard error. A machine without one is normal here, so their messages
// are sent to /dev/null while such a library starts or lists its devices.
#pragma once

namespace velk0::platform::posix {

class QuietStderr {
 public:
  QuietStderr();
  ~QuietStderr();
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_ = -1;
};

}  // namespace velk0::platform::posix
