// Other programs: found along PATH, run to their end with their output
// collected, or started detached.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velk0::platform::posix {

// The executable file a name stands for: a name with a slash as it stands,
// any other found along PATH; nothing when there is none.
std::optional<std::string> find_program(const std::string& name);

// How a program run to its end went.
struct Finished {
  int status = -1;       // its exit status; -1 when it was killed or timed out
  std::string out, err;  // what was kept of what it wrote (when collected)
  bool cut = false;      // it wrote more than `most_out`, and was stopped there
};

// What is kept of a program's output however much it writes: the first
// kMostKeptOutput bytes of its standard output and the last kMostKeptError
// of its standard error (what it said last); the rest is read and dropped.
constexpr std::size_t kMostKeptOutput = std::size_t{1} << 20;
constexpr std::size_t kMostKeptError = std::size_t{4} << 10;

constexpr int kUntilStopped = -1;

// Runs the program (argv[0] its path) with `input` on its standard input and
// waits for it, at most `timeout_ms`, then kills it; with kUntilStopped, for
// as long as it runs, unless a signal asks velk0 to stop (see interrupt.h):
// it is then killed at once and its status is -1. With `collect`, its
// standard output and error are kept; otherwise they go to /dev/null (a
// program that leaves a child of its own running, as the clipboard tools do,
// must not hold the pipes), as far as kMostKeptOutput and kMostKeptError go.
// Once it has written more than `most_out` bytes (at most kMostKeptOutput)
// on its standard output, the first `most_out` are kept and it is killed.
// `settings` ("NAME=value") are added to the environment it inherits, in place
// of variables of the same names. Nothing when it could not be started.
std::optional<Finished> run_to_end(const std::vector<std::string>& argv, std::string_view input,
                                   bool collect, int timeout_ms,
                                   std::size_t most_out = std::string::npos,
                                   const std::vector<std::string>& settings = {});

// Starts the program (argv[0] its path) in a session of its own, its
// standard streams on /dev/null, and returns at once; it is never waited for
// and never left a zombie. False when it could not be started.
bool start_detached(const std::vector<std::string>& argv);

}  // namespace velk0::platform::posix
