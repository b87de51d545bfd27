// Message boxes in a terminal: each box is printed as plain lines (caption
// first) and a Yes/No/Cancel box reads its answer from the input, one key
// without Enter when the input is a terminal: o yes, n no, a or Escape
// cancel. The end of the input answers Cancel.
#pragma once

#include <ostream>

#include "platform/platform.h"

namespace velk0::platform::posix {

class TerminalDialogs : public Dialogs {
 public:
  TerminalDialogs(int input_fd, std::ostream& out) : input_(input_fd), out_(out) {}
  // Throws Interrupted when a signal asks the program to stop while it waits
  // for the answer (the terminal is restored first).
  int show(BoxStyle style, std::string_view text, std::string_view caption) override;

 private:
  int read_from_terminal();
  int read_from_stream();
  int input_;
  std::ostream& out_;
};

}  // namespace velk0::platform::posix
