// The entry on POSIX systems: arguments arrive as UTF-8 and are handed to the
// program in its own bytes; whatever ends the run, normally or by Ctrl-C, no
// note is left sounding.
#include "platform/entry.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "platform/posix/interrupt.h"
#include "platform/posix/posix_backends.h"
#include "platform/session.h"
#include "platform/text_encoding.h"

namespace velk0::platform {

int run_entry(int argc, char** argv, Program program) {
  namespace platform = velk0::platform;
  namespace posix = velk0::platform::posix;

  posix::install_interrupt_handlers();

  std::vector<std::string> args;
  args.reserve(static_cast<std::size_t>(argc > 0 ? argc : 0));
  for (int i = 0; i < argc; ++i) args.push_back(platform::from_utf8(argv[i]));

  posix::PosixBackends os(posix::PosixConfig::from_environment());
  platform::Session session(platform::SessionOptions::from_environment(), os);
  platform::install(&session.platform());

  int code = 0;
  try {
    code = program(args);
  } catch (const posix::Interrupted&) {
    // Leaves the program wherever it was waiting; what sounds is released below.
  } catch (const std::exception& e) {
    // Ends with a message, and even then leaves no note on.
    session.shutdown();
    std::fprintf(stderr, "velk0 : erreur interne, arr\xC3\xAAt du programme (%s)\n", e.what());
    return 1;
  }
  session.shutdown();
  platform::install(nullptr);
  // Conventional exit status of a run cut short by a signal.
  if (posix::interrupt_requested()) code = 128 + posix::interrupt_signal();
  return code;
}

}  // namespace velk0::platform
