#include "core/text_files.h"

#include "core/messages.h"
#include "platform/platform.h"

namespace velk0 {

int read_text_file(std::string& dst, int page, std::string_view path, bool* opened) {
  dst.clear();
  auto read = platform::current().files->read_text(path, page);
  if (opened) *opened = read.has_value();
  if (!read) {
    ask_choice(path, "impossible d'ouvrir en lecture");
    return 0;
  }
  dst = std::move(read->text);
  return read->count;
}

int write_text_file(std::string_view text, std::string_view path) {
  return platform::current().files->write_text(path, text) ? 0 : 1;
}

}  // namespace velk0
