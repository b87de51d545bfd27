#include "platform/posix/quiet_stderr.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <iostream>

namespace velk0::platform::posix {

namespace {

// The real standard error while the outermost QuietStderr lives; -1 otherwise.
std::atomic<int> g_real_stderr{-1};

}  // namespace

int QuietStderr::real_stderr() {
  const int saved = g_real_stderr.load();
  return saved >= 0 ? saved : STDERR_FILENO;
}

QuietStderr::QuietStderr() {
  std::cerr.flush();
  std::fflush(stderr);
  int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (null < 0) return;
  saved_ = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
  if (saved_ >= 0) {
    int none = -1;
    outermost_ = g_real_stderr.compare_exchange_strong(none, saved_);
    dup2(null, STDERR_FILENO);
  }
  close(null);
}

QuietStderr::~QuietStderr() {
  if (saved_ < 0) return;
  std::cerr.flush();
  std::fflush(stderr);
  dup2(saved_, STDERR_FILENO);
  if (outermost_) g_real_stderr.store(-1);
  close(saved_);
}

}  // namespace velk0::platform::posix
