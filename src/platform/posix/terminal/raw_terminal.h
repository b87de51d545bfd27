// A terminal that hands on each key as it is typed: non-canonical mode
// without echo, for as long as a RawTerminal lives, restored on every way
// out. A stop (Ctrl-Z) gives the terminal back to the shell, which sets its
// own mode: once the program is continued in the foreground, this one is set
// again. Ctrl-C and the other signal keys keep their meaning.
#pragma once

#include <termios.h>

namespace velk0::platform::posix {

class RawTerminal {
 public:
  // Does nothing when `fd` is no terminal.
  explicit RawTerminal(int fd);
  ~RawTerminal();
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

  bool active() const { return active_; }

 private:
  int fd_;
  termios saved_{};
  bool active_ = false;
};

}  // namespace velk0::platform::posix
