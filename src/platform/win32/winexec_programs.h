// Programs started with WinExec, shown maximised. A name under the data
// folder that is not there is also tried by its bare name, which Windows
// looks for beside the program and along PATH.
#pragma once

#include "platform/platform.h"

namespace velk0::platform::win32 {

class WinExecPrograms : public Programs {
 public:
  bool start(std::string_view command_line) override;
};

}  // namespace velk0::platform::win32
