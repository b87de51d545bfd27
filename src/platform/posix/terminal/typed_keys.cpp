#include "platform/posix/terminal/typed_keys.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace velk0::platform::posix {
namespace {

constexpr unsigned char kEscape = 0x1B;
constexpr unsigned char kEndOfTransmission = 0x04;
// The bytes of an escape sequence follow the Escape at once; an Escape alone
// is the key itself.
constexpr int kSequenceGapMs = 40;

// Whether a byte comes within `ms`.
bool more_within(int fd, int ms) {
  pollfd request{fd, POLLIN, 0};
  int ready = 0;
  do {
    ready = poll(&request, 1, ms);
  } while (ready < 0 && errno == EINTR);
  return ready > 0 && (request.revents & POLLIN);
}

}  // namespace

// Only in the terminal's foreground: a program started in the background
// (velk0-ecoute &) that set the terminal's mode or read it would be stopped.
TypedKeys::TypedKeys(int fd) : fd_(fd), raw_(isatty(fd) && tcgetpgrp(fd) == getpgrp() ? fd : -1) {
  watched_ = raw_.active();
}

bool TypedKeys::quit_typed() {
  if (!watched_) return false;
  unsigned char bytes[64];
  const ssize_t got = read(fd_, bytes, sizeof bytes);
  if (got < 0) return false;  // interrupted, or nothing after all
  if (got == 0) {
    watched_ = false;
    return false;
  }
  for (ssize_t i = 0; i < got; ++i) {
    const unsigned char c = bytes[i];
    if (c == 'q' || c == 'Q' || c == kEndOfTransmission) return true;
    if (c != kEscape) continue;
    // The rest of a sequence came with it, or follows at once.
    if (i + 1 < got) return false;
    if (!more_within(fd_, kSequenceGapMs)) return true;
    unsigned char rest[64];
    while (more_within(fd_, kSequenceGapMs) && read(fd_, rest, sizeof rest) > 0) {
    }
    return false;
  }
  return false;
}

}  // namespace velk0::platform::posix
