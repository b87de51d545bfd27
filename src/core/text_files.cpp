#include "core/text_files.h"

#include "core/messages.h"
#include "platform/common/file_writes.h"
#include "platform/platform.h"

namespace velk0 {
namespace {

constexpr std::string_view kUnreadable = "impossible d'ouvrir en lecture";

}  // namespace

int read_text_file(platform::Platform& platform, std::string& dst, int page, std::string_view path,
                   bool* opened) {
  dst.clear();
  auto read = platform.files->read_text(path, page);
  if (opened) *opened = read.has_value();
  if (!read) {
    ask_choice(*platform.dialogs, path, kUnreadable);
    return 0;
  }
  dst = std::move(read->text);
  return read->count;
}

std::optional<std::string> read_whole_text(platform::Platform& platform, std::string_view path,
                                           bool report) {
  std::string text;
  const bool opened = platform.files->read_stream(path, [&text](std::string_view piece) {
    for (char c : piece)
      if (c != '\0') text += c;
    return true;
  });
  if (!opened) {
    if (report) ask_choice(*platform.dialogs, path, kUnreadable);
    return std::nullopt;
  }
  return text;
}

bool read_text_lines(platform::Files& files, std::string_view path, std::size_t longest,
                     const std::function<bool(std::string_view line)>& each) {
  std::string line;
  bool going = true;
  const bool opened = files.read_stream(path, [&](std::string_view piece) {
    for (char c : piece) {
      line += c;
      if (c != '\n' && line.size() < longest) continue;
      going = each(line);
      line.clear();
      if (!going) return false;
    }
    return true;
  });
  if (opened && going && !line.empty()) each(line);
  return opened;
}

int write_text_file(platform::Files& files, std::string_view text, std::string_view path) {
  const platform::Written written = files.write_text(path, text);
  if (written) return 0;
  platform::report_write_failure(path, written.failure);
  return 1;
}

}  // namespace velk0
