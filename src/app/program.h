#pragma once

#include <string>
#include <vector>

namespace velk0 {

// The program: `args` as the C runtime splits the command line (args[0] is the
// program's name), in the program's own bytes. Returns the exit code.
int run_program(const std::vector<std::string>& args);

}  // namespace velk0
