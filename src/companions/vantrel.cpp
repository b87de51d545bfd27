// vantrel: the copier. Puts the current information (the text velk0 left in
// \korvane\prvinfo.tab) on the system clipboard, then ends; velk0 starts it
// when the user asks to copy that information. Exit status 0 when the text is
// on the clipboard, 1 when the file could not be read or the clipboard
// could not be opened.
#include <string>

#include "commands/clipboard_commands.h"
#include "platform/std_files.h"
#ifdef _WIN32
#include "platform/win32/win32_backends.h"
#else
#include "platform/posix/posix_backends.h"
#endif

namespace {

// The copier takes at most this many pages of the file.
constexpr int kMostPages = 64;

}  // namespace

int main() {
  namespace platform = velk0::platform;
#ifdef _WIN32
  platform::win32::Win32Backends os;
#else
  platform::posix::PosixBackends os(platform::posix::PosixConfig::from_environment());
#endif
  platform::StdFiles files([&os](std::string_view p) { return os.native_path(p); });

  std::string text;
  for (int page = 1; page <= kMostPages; ++page) {
    auto read = files.read_text(velk0::kCurrentInformationPath, page);
    if (!read) {
      if (page == 1) return 1;
      break;
    }
    text += read->text;
    if (read->count < platform::kPageSize) break;
  }
  return os.make_clipboard()->write_text(text) ? 0 : 1;
}
