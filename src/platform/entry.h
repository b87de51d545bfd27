// The entry of the executable, as each system supplies it: it puts the
// platform together from the environment, hands the arguments to the program
// in the program's own bytes, and whatever ends the run leaves no note
// sounding.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace velk0::platform {

class OsBackends;

// A text file the data folder starts with, and its text.
struct SeedFile {
  std::string_view system_path;  // in the data folder
  std::string_view text;
};

// The program: the services it runs on, and its arguments as the C runtime
// splits the command line (element 0 is the program's name); returns the exit
// status.
using Program = int (*)(Platform& platform, const std::vector<std::string>& args);

// `first_use`, when not empty, is what a data folder made at the program's
// first use starts with besides the cues (see data_folder.h): the folder is
// then made, when it does not exist at all, before the program runs.
int run_entry(int argc, char** argv, Program program, std::span<const SeedFile> first_use = {});

// The system's own backends, for a companion program that needs one or two
// of them rather than the whole platform (the copier: files and clipboard).
std::unique_ptr<OsBackends> make_system_backends();

}  // namespace velk0::platform
