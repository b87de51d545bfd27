// Sound libraries (ALSA, JACK, the sequencer client) report a missing device
// on standard error. A machine without one is normal here, so their messages
// are sent to /dev/null while such a library starts or lists its devices.
#pragma once

namespace velk0::platform::posix {

class QuietStderr {
 public:
  // Where standard error really goes, quiet or not: for a last word that
  // must be seen (async-signal-safe).
  static int real_stderr();

  QuietStderr();
  ~QuietStderr();
  QuietStderr(const QuietStderr&) = delete;
  QuietStderr& operator=(const QuietStderr&) = delete;

 private:
  int saved_ = -1;
  bool outermost_ = false;
};

}  // namespace velk0::platform::posix
