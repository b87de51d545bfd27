#include "platform/posix/companions.h"

#include <optional>
#include <vector>

#include "platform/posix/processes.h"
#include "platform/std_files.h"

namespace velk0::platform::posix {
namespace {

constexpr std::string_view kWindowsSuffix = ".exe";

// The name, then the name without its .exe.
std::vector<std::string> spellings(const std::string& name) {
  std::vector<std::string> out{name};
  if (name.size() > kWindowsSuffix.size() && name.ends_with(kWindowsSuffix))
    out.push_back(name.substr(0, name.size() - kWindowsSuffix.size()));
  return out;
}

std::optional<std::string> first_found(const std::string& name) {
  for (const std::string& spelling : spellings(name))
    if (auto path = find_program(spelling)) return path;
  return std::nullopt;
}

}  // namespace

bool PosixPrograms::start(std::string_view command_line) {
  // The whole command line names the program: no argument is ever passed.
  const std::string native = posix_native_path(command_line, root_);
  std::optional<std::string> path;
  if (native.find('/') != std::string::npos) path = first_found(native);
  if (!path) {
    const std::string base = native.substr(native.find_last_of('/') + 1);
    if (!base.empty()) path = first_found(base);
  }
  return path && start_detached({*path});
}

}  // namespace velk0::platform::posix
