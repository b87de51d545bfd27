#include "platform/posix/interrupt.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>
#include <thread>

#include "platform/posix/monotonic.h"

namespace velk0::platform::posix {
namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

volatile sig_atomic_t g_signal = 0;
int g_pipe[2] = {-1, -1};

extern "C" void on_signal(int signal) {
  int saved_errno = errno;
  if (g_signal == 0) g_signal = signal;
  if (g_pipe[1] >= 0) {
    char byte = 1;
    // Non-blocking: once the pipe holds a byte nothing more is needed.
    ssize_t ignored = write(g_pipe[1], &byte, 1);
    (void)ignored;
  }
  errno = saved_errno;
}

}  // namespace

void install_interrupt_handlers() {
  if (g_pipe[0] < 0 && pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) g_pipe[0] = g_pipe[1] = -1;

  struct sigaction action {};
  action.sa_handler = on_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a blocking call returns with EINTR
  for (int signal : kSignals) {
    struct sigaction previous {};
    if (sigaction(signal, nullptr, &previous) == 0 && previous.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }

  // Writing to a closed pipe must not end the program while a note sounds.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
}

void end_soon_after_interrupt() {
  if (g_pipe[0] < 0) return;
  auto watch = [] {
    for (;;) {
      pollfd request{g_pipe[0], POLLIN, 0};
      if (poll(&request, 1, -1) < 0 && errno != EINTR) return;
      const std::int64_t asked = monotonic_ns();
      while (monotonic_ns() - asked < std::int64_t{kExitGraceMs} * 1'000'000) sleep_ms(10);
      if (g_signal != 0) _exit(128 + g_signal);
    }
  };
  try {
    std::thread(watch).detach();
  } catch (const std::system_error&) {
    // No thread to be had (memory is short): the signals still stop the
    // program wherever it checks for them.
  }
}

bool interrupt_requested() { return g_signal != 0; }

int interrupt_signal() { return g_signal; }

void throw_if_interrupted() {
  if (interrupt_requested()) throw Interrupted{};
}

int interrupt_fd() { return g_pipe[0]; }

void clear_interrupt() {
  g_signal = 0;
  if (g_pipe[0] >= 0) {
    char buffer[16];
    while (read(g_pipe[0], buffer, sizeof buffer) > 0) {
    }
  }
}

SignalsHeld::SignalsHeld() {
  sigset_t held;
  sigemptyset(&held);
  for (int signal : kSignals) sigaddset(&held, signal);
  pthread_sigmask(SIG_BLOCK, &held, &saved_);
}

SignalsHeld::~SignalsHeld() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

}  // namespace velk0::platform::posix
