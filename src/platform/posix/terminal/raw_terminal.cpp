#include "platform/posix/terminal/raw_terminal.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace velk0::platform::posix {
namespace {

// The raw mode, and the terminal that has it (-1: none).
termios g_raw_mode{};
volatile sig_atomic_t g_raw_fd = -1;

extern "C" void on_continue(int) {
  const int saved_errno = errno;
  const int fd = g_raw_fd;
  if (fd >= 0 && tcgetpgrp(fd) == getpgrp()) tcsetattr(fd, TCSANOW, &g_raw_mode);
  errno = saved_errno;
}

void set_again_when_continued() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  struct sigaction action {};
  action.sa_handler = on_continue;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGCONT, &action, nullptr);
}

}  // namespace

RawTerminal::RawTerminal(int fd) : fd_(fd) {
  if (tcgetattr(fd_, &saved_) != 0) return;
  termios raw = saved_;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  active_ = tcsetattr(fd_, TCSANOW, &raw) == 0;
  if (!active_) return;
  set_again_when_continued();
  g_raw_mode = raw;
  std::atomic_signal_fence(std::memory_order_release);
  g_raw_fd = fd_;
}

RawTerminal::~RawTerminal() {
  if (!active_) return;
  g_raw_fd = -1;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  tcsetattr(fd_, TCSANOW, &saved_);
}

}  // namespace velk0::platform::posix
