// The scripted answers, for the tests and for runs driven through the
// environment: boxes printed as lines and answered from a script.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "platform/platform.h"

namespace velk0::platform {

// Boxes answered from a script of letters (VELK0_ANSWERS); when the letters
// run out every box answers Cancel. Information boxes take no letter.
class ScriptedDialogs : public Dialogs {
 public:
  ScriptedDialogs(std::string answers, std::ostream& out)
      : answers_(std::move(answers)), out_(out) {}
  int show(BoxStyle style, std::string_view text, std::string_view caption) override;

 private:
  std::string answers_;
  std::size_t next_ = 0;
  std::ostream& out_;
};

}  // namespace velk0::platform
