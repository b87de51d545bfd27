// The keys typed in the terminal while a program listens to a keyboard: q or
// Escape (or Ctrl-D) asks it to end. The terminal hands on each key without
// Enter and shows none while a TypedKeys lives.
#pragma once

#include "platform/posix/terminal/raw_terminal.h"

namespace velk0::platform::posix {

class TypedKeys {
 public:
  // Watches `fd` when it is a terminal and the program runs in its
  // foreground; anything else (a file, a pipe, no standard input at all, a
  // program started in the background) is not read.
  explicit TypedKeys(int fd);

  // The descriptor to wait on, -1 when nothing is watched.
  int fd() const { return watched_ ? fd_ : -1; }
  // Reads what was typed, once `fd()` is readable: true when it asks to end.
  // An arrow or function key (Escape and the rest of its sequence) is not
  // Escape; the end of the terminal's input stops the watch.
  bool quit_typed();

 private:
  int fd_;
  RawTerminal raw_;
  bool watched_ = false;
};

}  // namespace velk0::platform::posix
