// The entry of the executable, as each system supplies it: it puts the
// platform together from the environment, hands the arguments to the program
// in the program's own bytes, and whatever ends the run leaves no note
// sounding.
#pragma once

#include <string>
#include <vector>

namespace velk0::platform {

// The program: its arguments as the C runtime splits the command line
// (element 0 is the program's name); returns the exit status.
using Program = int (*)(const std::vector<std::string>& args);

int run_entry(int argc, char** argv, Program program);

}  // namespace velk0::platform
