// The entry on POSIX systems: arguments arrive as UTF-8 and are handed to the
// program in its own bytes, kept so that a name among them opens the file of
// that very name; whatever ends the run, normally or by a signal, no note is
// left sounding.
#include "platform/entry.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "platform/common/data_folder.h"
#include "platform/common/text_encoding.h"
#include "platform/console.h"
#include "platform/posix/interrupt.h"
#include "platform/posix/posix_backends.h"
#include "platform/posix/synth/synth_failure.h"
#include "platform/session.h"

namespace {

// Exit status when the environment cannot be used.
constexpr int kBadEnvironment = 2;

constexpr std::string_view kOutOfMemory = "velk0 : m\xE9moire insuffisante, arr\xEAt du programme";

// Says that the run stops on a fault of the program's own (`what`), if
// memory is left to say it.
void say_internal_error(const char* what) {
  namespace platform = velk0::platform;
  try {
    platform::print_error_line(std::string("velk0 : erreur interne, arr\xEAt du programme (") +
                               platform::from_system_name(what) + ")");
  } catch (...) {
    // Nothing more can be said.
  }
}

// Descriptors 0 to 2 are open before the program creates any: a descriptor of
// its own must never stand in for standard input, or a box would read it
// instead of the keyboard. One that is closed reads and writes /dev/null.
void open_standard_descriptors() {
  for (int fd = 0; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    int null = open("/dev/null", O_RDWR);  // the lowest free descriptor: fd itself
    if (null > fd) {
      dup2(null, fd);
      close(null);
    }
  }
}

// Releases what sounds and closes the devices, whatever fails on the way.
void shut_down(velk0::platform::Session& session) {
  try {
    session.shutdown();
  } catch (...) {
    // The program ends all the same.
  }
}

// Runs the program on the system's backends; every device is closed, and
// the sound server let go, once it returns.
int run_session(velk0::platform::Program program, const std::vector<std::string>& args,
                velk0::platform::posix::PosixConfig config,
                std::span<const velk0::platform::SeedFile> first_use) {
  namespace platform = velk0::platform;
  namespace posix = velk0::platform::posix;
  // Ready before memory can run out.
  const std::string out_of_memory = platform::error_line_bytes(kOutOfMemory);
  posix::PosixBackends os(std::move(config));
  platform::Session session(platform::SessionOptions::from_environment(), os);
  if (!first_use.empty())
    platform::make_data_folder_at_first_use(
        [&os](std::string_view path) { return os.native_path(path); }, first_use);

  int code = 0;
  try {
    code = program(session.platform(), args);
  } catch (const posix::Interrupted&) {
    // Leaves the program wherever it was; what sounds is released below.
  } catch (const posix::OutOfMemory&) {
    // The line that says so has been printed.
    code = posix::kCannotGoOnStatus;
  } catch (const std::bad_alloc&) {
    std::fputs(out_of_memory.c_str(), stderr);
    code = posix::kCannotGoOnStatus;
  } catch (const std::exception& e) {
    // Ends with a message, and even then leaves no note on.
    say_internal_error(e.what());
    code = 1;
  }
  shut_down(session);
  // A sound file asked for and not written fails the run.
  if (!os.complete_output() && code == 0) code = 1;
  return code;
}

}  // namespace

namespace velk0::platform {

int run_entry(int argc, char** argv, Program program, std::span<const SeedFile> first_use) {
  namespace platform = velk0::platform;
  namespace posix = velk0::platform::posix;

  open_standard_descriptors();
  posix::install_interrupt_handlers();
  posix::end_soon_after_interrupt();

  posix::PosixConfig config = posix::PosixConfig::from_environment();
  if (!config.error.empty()) {
    platform::print_error_line(config.error);
    return kBadEnvironment;
  }

  std::vector<std::string> args;
  args.reserve(static_cast<std::size_t>(argc > 0 ? argc : 0));
  for (int i = 0; i < argc; ++i) args.push_back(platform::from_system_name(argv[i]));

  int code = run_session(program, args, std::move(config), first_use);
  // Conventional exit status of a run cut short by a signal.
  if (posix::interrupt_requested()) code = 128 + posix::interrupt_signal();
  return code;
}

std::unique_ptr<OsBackends> make_system_backends() {
  return std::make_unique<posix::PosixBackends>(posix::PosixConfig::from_environment());
}

}  // namespace velk0::platform
