#include "platform/posix/processes/clipboard_tools.h"

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/common/case_folding.h"
#include "platform/common/text_encoding.h"
#include "platform/posix/processes/processes.h"

namespace velk0::platform::posix {
namespace {

// A tool that does not answer within this time is taken as unreachable.
constexpr int kToolTimeoutMs = 3000;
// The UTF-8 bytes that hold at least the characters read (four at most each).
constexpr std::size_t kMostUtf8Bytes = 4 * kClipboardReadChars;

// One way to the clipboard: the variable that names its display, and the
// command lines that read, write and empty it.
struct Tool {
  const char* display;
  std::vector<std::string> read, write, clear;  // xclip clears by writing nothing
};

const std::array<Tool, 3>& tools() {
  static const std::array<Tool, 3> kTools = {{
      {"WAYLAND_DISPLAY",
       {"wl-paste", "--no-newline", "--type", "text"},
       {"wl-copy", "--type", "text/plain;charset=utf-8"},
       {"wl-copy", "--clear"}},
      {"DISPLAY",
       {"xclip", "-selection", "clipboard", "-out"},
       {"xclip", "-selection", "clipboard", "-in"},
       {"xclip", "-selection", "clipboard", "-in"}},
      {"DISPLAY",
       {"xsel", "--clipboard", "--output"},
       {"xsel", "--clipboard", "--input"},
       {"xsel", "--clipboard", "--clear"}},
  }};
  return kTools;
}

// The command line with the tool's full path, when its display is named and
// the tool is installed.
std::optional<std::vector<std::string>> usable(const Tool& tool,
                                               const std::vector<std::string>& command) {
  const char* display = std::getenv(tool.display);
  if (!display || !*display) return std::nullopt;
  auto path = find_program(command.front());
  if (!path) return std::nullopt;
  std::vector<std::string> argv = command;
  argv.front() = *path;
  return argv;
}

// The tools say so on their error output when they cannot reach the
// display's server ("Can't open display", "Failed to connect").
bool unreachable(const Finished& finished) {
  if (finished.status < 0) return true;
  const std::string err = lower_ascii(finished.err);
  return err.find("display") != std::string::npos || err.find("connect") != std::string::npos;
}

// Runs `command` of each usable tool in turn, with `input`, until one
// succeeds; its output is not kept (a tool may leave a child of its own
// holding the clipboard).
bool run_first(const std::vector<std::string> Tool::*command, std::string_view input) {
  for (const Tool& tool : tools()) {
    auto argv = usable(tool, tool.*command);
    if (!argv) continue;
    auto finished = run_to_end(*argv, input, false, kToolTimeoutMs);
    if (finished && finished->status == 0) return true;
  }
  return false;
}

}  // namespace

std::optional<std::string> ToolClipboard::read_text() {
  for (const Tool& tool : tools()) {
    auto argv = usable(tool, tool.read);
    if (!argv) continue;
    auto finished = run_to_end(*argv, {}, true, kToolTimeoutMs, kMostUtf8Bytes);
    if (!finished || (!finished->cut && unreachable(*finished))) continue;
    // A tool that reached its server but failed found no text there.
    if (finished->status != 0 && !finished->cut) return std::string();
    return from_utf8(finished->out).substr(0, kClipboardReadChars);
  }
  return std::nullopt;
}

bool ToolClipboard::open_as_owner(bool empty) {
  if (!empty) return read_text().has_value();
  return run_first(&Tool::clear, {});
}

bool ToolClipboard::write_text(std::string_view text) {
  return run_first(&Tool::write, to_utf8(text));
}

}  // namespace velk0::platform::posix
