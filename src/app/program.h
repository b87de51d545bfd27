#pragma once

#include <string>
#include <vector>

#include "midi/run_state.h"
#include "platform/platform.h"

namespace velk0 {

// The program, on the services the entry put together: `args` as the C
// runtime splits the command line (args[0] is the program's name), in the
// program's own bytes. It makes the run's state and hands it down. Returns
// the exit code.
int run_program(platform::Platform& platform, const std::vector<std::string>& args);

// The argument loop on a run's state: the usage lines when there is no
// argument besides the program's name; else the loop settings and the
// settings start from their defaults.
int run_arguments(RunState& run, const std::vector<std::string>& args);

}  // namespace velk0
