// The entry on Windows: the C runtime hands over the arguments in the ANSI
// code page, which is the program's own; whatever ends the run, normally or
// by Ctrl-C, no note is left sounding.
#include "platform/entry.h"

#include <windows.h>

#include <exception>
#include <string>
#include <vector>

#include "platform/common/data_folder.h"
#include "platform/session.h"
#include "platform/win32/win32_backends.h"

// Arguments are taken as typed: a tablature such as "c*d" or "a.b" must never
// be expanded as a file pattern by the runtime.
extern "C" {
int _dowildcard = 0;
}

namespace {

// Something unexpected failed: no note is left on, and the program ends with
// a box that says so.
int internal_error(velk0::platform::Session& session, const char* what) {
  session.shutdown();
  session.platform().dialogs->show(velk0::platform::BoxStyle::ok, what,
                                   "velk0 : erreur interne, arr\xEAt du programme");
  return 1;
}

}  // namespace

namespace velk0::platform {

int run_entry(int argc, char** argv, Program program, std::span<const SeedFile> first_use) {
  namespace platform = velk0::platform;
  namespace win32 = velk0::platform::win32;

  std::vector<std::string> args;
  args.reserve(static_cast<std::size_t>(argc > 0 ? argc : 0));
  for (int i = 0; i < argc; ++i) args.emplace_back(argv[i]);

  win32::Win32Backends os;
  win32::TimerResolution timer(os.console_guard());
  platform::Session session(platform::SessionOptions::from_environment(), os);
  if (!first_use.empty())
    platform::make_data_folder_at_first_use(
        [&os](std::string_view path) { return os.native_path(path); }, first_use);
  os.console_guard().install();

  int code = 0;
  try {
    code = program(session.platform(), args);
  } catch (const std::exception& e) {
    return internal_error(session, e.what());
  } catch (...) {
    return internal_error(session, "");
  }
  session.shutdown();
  return code;
}

std::unique_ptr<OsBackends> make_system_backends() {
  return std::make_unique<win32::Win32Backends>();
}

}  // namespace velk0::platform
