// Companion programs started by the names the program gives them, Windows
// names as they are: a name ending in .exe is also looked up without it; a
// name under the data folder (\korvane\...) there first; then every name by
// itself beside the running program (where its own companions are), then
// along PATH.
#pragma once

#include <string>

#include "platform/platform.h"

namespace velk0::platform::posix {

class PosixPrograms : public Programs {
 public:
  explicit PosixPrograms(std::string root) : root_(std::move(root)) {}
  bool start(std::string_view command_line) override;

 private:
  std::string root_;  // the folder that stands for the drive root
};

}  // namespace velk0::platform::posix
