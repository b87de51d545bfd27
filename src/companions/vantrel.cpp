// vantrel: the copier. Puts the current information (the text velk0 left in
// \korvane\prvinfo.tab) on the system clipboard, then ends; velk0 starts it
// when the user asks to copy that information. Exit status 0 when the text is
// on the clipboard, 1 when the file could not be read or the clipboard
// could not be opened, each failure told in one line on standard error.
#include <memory>
#include <string>

#include "commands/clipboard_commands.h"
#include "core/text.h"
#include "platform/common/std_files.h"
#include "platform/console.h"
#include "platform/entry.h"
#include "platform/session.h"

namespace {

// The copier takes at most this many pages of the file.
constexpr int kMostPages = 64;

}  // namespace

int main() {
  namespace platform = velk0::platform;
  std::unique_ptr<platform::OsBackends> os = platform::make_system_backends();
  platform::StdFiles files([&os](std::string_view p) { return os->native_path(p); });

  std::string text;
  for (int page = 1; page <= kMostPages; ++page) {
    auto read = files.read_text(velk0::kCurrentInformationPath, page);
    if (!read) {
      if (page > 1) break;
      platform::print_error_line(velk0::format_text(
          "vantrel : impossible de lire l'information courante (%s), rien n'a \xE9t\xE9 copi\xE9",
          std::string(velk0::kCurrentInformationPath).c_str()));
      return 1;
    }
    text += read->text;
    if (read->count < platform::kPageSize) break;
  }
  if (os->make_clipboard()->write_text(text)) return 0;
  platform::print_error_line(
      "vantrel : aucun presse-papiers n'est accessible, l'information courante n'a pas \xE9t\xE9 "
      "copi\xE9"
      "e");
  return 1;
}
