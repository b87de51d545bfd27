// Notices on the desktop through notify-send (libnotify's tool): each is a
// notification of the desktop's own service, which screen readers such as
// Orca speak as it appears. Each replaces the one before it rather than
// piling up, and none stays in the desktop's history.
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

namespace velk0::platform::posix {

class DesktopNotices : public Notices {
 public:
  // `program`: the name the notices are shown under.
  explicit DesktopNotices(std::string program) : program_(std::move(program)) {}
  // notify-send is looked for at the first notice; when it is not there, one
  // French line on standard error says so, and no notice is shown.
  bool show(std::string_view text) override;

 private:
  std::string program_;
  bool looked_ = false;
  std::optional<std::string> tool_;
};

}  // namespace velk0::platform::posix
