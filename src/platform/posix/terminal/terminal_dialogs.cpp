#include "platform/posix/terminal/terminal_dialogs.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/common/dialogs_text.h"
#include "platform/posix/interrupt.h"
#include "platform/posix/terminal/raw_terminal.h"

namespace velk0::platform::posix {
namespace {

constexpr int kEndOfInput = -1;
constexpr int kNothingYet = -2;
constexpr char kEscape = 0x1B;
constexpr char kEndOfTransmission = 0x04;  // Ctrl-D, which a raw terminal passes as a byte
// The bytes of an escape sequence (an arrow key) follow the Escape at once;
// an Escape alone is the key itself.
constexpr int kSequenceGapMs = 40;

// Reads one byte, waiting at most `timeout_ms` (-1: no limit). Returns the
// byte, kEndOfInput, or kNothingYet when the time ran out. Throws
// Interrupted when a signal asks the program to stop.
int read_byte(int fd, int timeout_ms) {
  if (fd < 0) return kEndOfInput;  // poll() would pass over it and wait for ever
  for (;;) {
    throw_if_interrupted();
    pollfd fds[2] = {{fd, POLLIN, 0}, {interrupt_fd(), POLLIN, 0}};
    nfds_t count = fds[1].fd >= 0 ? 2 : 1;
    int ready = poll(fds, count, timeout_ms);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return kEndOfInput;
    }
    if (ready == 0) return kNothingYet;
    if (count == 2 && (fds[1].revents & POLLIN)) throw_if_interrupted();
    if (fds[0].revents & POLLNVAL) return kEndOfInput;
    if (!(fds[0].revents & (POLLIN | POLLHUP | POLLERR))) continue;
    unsigned char byte = 0;
    ssize_t got = read(fd, &byte, 1);
    if (got == 1) return byte;
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    return kEndOfInput;
  }
}

// Throws away what has already arrived (the rest of an escape sequence, a
// multi-byte character, pasted text).
void drain(int fd, int gap_ms) {
  while (read_byte(fd, gap_ms) >= 0) {
  }
}

bool is_answer_key(int c) { return c > 0 && std::strchr("oOyYnNaAcCxX", c) != nullptr; }

}  // namespace

int TerminalDialogs::show(BoxStyle style, std::string_view text, std::string_view caption) {
  print_box(out_, style, text, caption);
  if (style != BoxStyle::choice) return kAnswerOk;
  print_choice_prompt(out_);
  int answer = kAnswerCancel;
  try {
    answer = isatty(input_) ? read_from_terminal() : read_from_stream();
  } catch (const Interrupted&) {
    out_ << '\n';  // leave the prompt line complete
    out_.flush();
    throw;
  }
  print_answer(out_, answer);
  return answer;
}

int TerminalDialogs::read_from_terminal() {
  RawTerminal raw(input_);
  for (;;) {
    int c = read_byte(input_, -1);
    if (c == kEndOfInput || c == kEndOfTransmission) return kAnswerCancel;
    if (c == kEscape) {
      int next = read_byte(input_, kSequenceGapMs);
      if (next == kNothingYet || next == kEndOfInput) return kAnswerCancel;
      drain(input_, kSequenceGapMs);
      continue;  // an arrow or function key: not an answer
    }
    if (is_answer_key(c)) return answer_for_letter(static_cast<char>(c));
    if (answer_for_letter(static_cast<char>(c)) == 0) continue;  // blanks
    drain(input_, 0);
    out_ << '\n';
    print_choice_prompt(out_);
  }
}

int TerminalDialogs::read_from_stream() {
  for (;;) {
    int c = read_byte(input_, -1);
    if (c == kEndOfInput) return kAnswerCancel;
    int answer = answer_for_letter(static_cast<char>(c));
    if (answer != 0) return answer;
  }
}

}  // namespace velk0::platform::posix
