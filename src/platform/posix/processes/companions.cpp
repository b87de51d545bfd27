#include "platform/posix/processes/companions.h"

#include <unistd.h>

#include <array>
#include <optional>
#include <vector>

#include "platform/common/std_files.h"
#include "platform/posix/processes/processes.h"

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

// The folder of the running program, where its own companions are built and
// installed ("" when the system does not say).
std::string own_folder() {
  std::array<char, 4096> buffer{};
  const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) return {};
  const std::string path(buffer.data(), static_cast<std::size_t>(length));
  return path.substr(0, path.find_last_of('/'));
}

}  // namespace

bool PosixPrograms::start(std::string_view command_line) {
  // The whole command line names the program: no argument is ever passed.
  const std::string native = posix_native_path(command_line, root_);
  std::optional<std::string> path;
  if (native.find('/') != std::string::npos) path = first_found(native);
  // Then by its bare name, as Windows looks for it: beside the program
  // first, then along PATH.
  const std::string base = native.substr(native.find_last_of('/') + 1);
  const std::string beside = own_folder();
  if (!path && !base.empty() && !beside.empty()) path = first_found(beside + "/" + base);
  if (!path && !base.empty()) path = first_found(base);
  return path && start_detached({*path});
}

}  // namespace velk0::platform::posix
