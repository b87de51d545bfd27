#include "platform/posix/processes/processes.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "platform/posix/interrupt.h"
#include "platform/posix/monotonic.h"

extern char** environ;

namespace velk0::platform::posix {
namespace {

constexpr int kPollSliceMs = 10;

bool is_executable_file(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::vector<char*> c_argv(const std::vector<std::string>& argv) {
  std::vector<char*> out;
  for (const std::string& a : argv) out.push_back(const_cast<char*>(a.c_str()));
  out.push_back(nullptr);
  return out;
}

void close_fd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// A pipe whose two ends are closed on exec; the child gets its end by dup2.
struct Pipe {
  int read = -1, write = -1;
  bool open() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    read = fds[0];
    write = fds[1];
    return true;
  }
  ~Pipe() {
    close_fd(read);
    close_fd(write);
  }
};

// Every descriptor of the program's own is opened close-on-exec; those the
// libraries open may not be, and none but the standard three is inherited.
void close_others_on_spawn(posix_spawn_file_actions_t& actions) {
#if defined(__GLIBC__) && __GLIBC_PREREQ(2, 34)
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);
#else
  (void)actions;
#endif
}

// The same in a forked child, `keep` aside (async-signal-safe).
void close_others_in_child(int keep) {
#if defined(__GLIBC__) && __GLIBC_PREREQ(2, 34)
  if (keep > STDERR_FILENO + 1) close_range(STDERR_FILENO + 1, static_cast<unsigned>(keep) - 1, 0);
  close_range(static_cast<unsigned>(keep) + 1, ~0u, 0);
#else
  (void)keep;
#endif
}

// What a spawned child starts with: default signal dispositions (the program
// ignores SIGPIPE and handles the interrupting signals) and none blocked.
struct CleanAttributes {
  posix_spawnattr_t attr{};
  explicit CleanAttributes(short extra_flags) {
    posix_spawnattr_init(&attr);
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | extra_flags);
  }
  ~CleanAttributes() { posix_spawnattr_destroy(&attr); }
};

// Keeps SIGPIPE ignored while it lives, so that a child that stops reading
// cannot end the program.
class PipeSignalIgnored {
 public:
  PipeSignalIgnored() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, &saved_);
  }
  ~PipeSignalIgnored() { sigaction(SIGPIPE, &saved_, nullptr); }
  PipeSignalIgnored(const PipeSignalIgnored&) = delete;
  PipeSignalIgnored& operator=(const PipeSignalIgnored&) = delete;

 private:
  struct sigaction saved_ {};
};

// Feeds the input and collects the outputs until the child has exited and
// its pipes are closed, or the time is up.
class Exchange {
 public:
  Exchange(pid_t child, int in, int out, int err, std::string_view input, std::size_t most_out)
      : child_(child), in_(in), out_(out), err_(err), input_(input), most_out_(most_out) {
    // Never blocked on one pipe while the child waits on the other.
    for (int fd : {in_, out_, err_})
      if (fd >= 0) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  }

  Finished run(int timeout_ms) {
    Finished finished;
    const std::int64_t deadline = monotonic_ns() + std::int64_t{timeout_ms} * 1'000'000;
    if (input_.empty()) close_fd(in_);
    while (!exited_ || out_ >= 0 || err_ >= 0) {
      const bool over =
          timeout_ms == kUntilStopped ? interrupt_requested() : monotonic_ns() >= deadline;
      if (over) {
        if (!exited_) kill_child();
        break;
      }
      poll_once(finished);
      reap(finished);
      // A child of the child may hold the pipes: once it has exited, what
      // is there is all that is waited for.
      if (exited_) drain(finished);
      keep_bounded(finished);
    }
    keep_bounded(finished);
    if (finished.err.size() > kMostKeptError)
      finished.err.erase(0, finished.err.size() - kMostKeptError);
    close_fd(in_);
    close_fd(out_);
    close_fd(err_);
    return finished;
  }

 private:
  void poll_once(Finished& finished) {
    pollfd fds[3];
    nfds_t count = 0;
    if (in_ >= 0) fds[count++] = {in_, POLLOUT, 0};
    if (out_ >= 0) fds[count++] = {out_, POLLIN, 0};
    if (err_ >= 0) fds[count++] = {err_, POLLIN, 0};
    // With no pipe left open, the poll only waits its slice for the child.
    if (poll(fds, count, kPollSliceMs) <= 0) return;
    for (nfds_t i = 0; i < count; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == in_)
        feed();
      else
        take(fds[i].fd == out_ ? out_ : err_, fds[i].fd == out_ ? finished.out : finished.err);
    }
  }

  void feed() {
    ssize_t n = write(in_, input_.data(), input_.size());
    if (n > 0) input_.remove_prefix(static_cast<std::size_t>(n));
    if ((n < 0 && errno != EINTR && errno != EAGAIN) || input_.empty()) close_fd(in_);
  }

  static void take(int& fd, std::string& into) {
    char buffer[4096];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n > 0)
      into.append(buffer, static_cast<std::size_t>(n));
    else if (n == 0 || (errno != EINTR && errno != EAGAIN))
      close_fd(fd);
  }

  void drain(Finished& finished) {
    for (int* fd : {&out_, &err_}) {
      if (*fd < 0) continue;
      pollfd p{*fd, POLLIN, 0};
      if (poll(&p, 1, 0) > 0)
        take(*fd, fd == &out_ ? finished.out : finished.err);
      else
        close_fd(*fd);
    }
  }

  void reap(Finished& finished) {
    if (exited_) return;
    int status = 0;
    pid_t done = waitpid(child_, &status, WNOHANG);
    if (done == child_ || (done < 0 && errno != EINTR)) {
      exited_ = true;
      finished.status = done == child_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
  }

  // Past `most_out` the program is stopped; past what is kept, the rest of its
  // output is dropped as it is read. Its error output is cut from the front,
  // down to its last kMostKeptError bytes, once it holds twice as many.
  void keep_bounded(Finished& finished) {
    if (finished.out.size() > most_out_)
      stop_reading(finished);
    else if (finished.out.size() > kMostKeptOutput)
      finished.out.resize(kMostKeptOutput);
    if (finished.err.size() > 2 * kMostKeptError)
      finished.err.erase(0, finished.err.size() - kMostKeptError);
  }

  // What is kept is there: the rest is neither read nor waited for.
  void stop_reading(Finished& finished) {
    finished.out.resize(most_out_);
    finished.cut = true;
    close_fd(out_);
    if (!exited_) kill_child();
  }

  void kill_child() {
    kill(child_, SIGKILL);
    int status = 0;
    while (waitpid(child_, &status, 0) < 0 && errno == EINTR) {
    }
    exited_ = true;
  }

  pid_t child_;
  int in_, out_, err_;
  std::string_view input_;
  std::size_t most_out_;
  bool exited_ = false;
};

// The environment the program inherits, with `settings` in place of the
// variables of their names.
std::vector<std::string> environment_with(const std::vector<std::string>& settings) {
  std::vector<std::string> out = settings;
  for (char** variable = environ; *variable; ++variable) {
    std::string_view entry(*variable);
    const bool replaced = std::any_of(settings.begin(), settings.end(), [&](const std::string& s) {
      const std::size_t name = s.find('=');
      return entry.substr(0, name + 1) == std::string_view(s).substr(0, name + 1);
    });
    if (!replaced) out.emplace_back(entry);
  }
  return out;
}

}  // namespace

std::optional<std::string> find_program(const std::string& name) {
  if (name.empty()) return std::nullopt;
  if (name.find('/') != std::string::npos)
    return is_executable_file(name) ? std::optional<std::string>(name) : std::nullopt;
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(start, end - start);
    std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
    if (is_executable_file(candidate)) return candidate;
    start = end + 1;
  }
  return std::nullopt;
}

std::optional<Finished> run_to_end(const std::vector<std::string>& argv, std::string_view input,
                                   bool collect, int timeout_ms, std::size_t most_out,
                                   const std::vector<std::string>& settings) {
  if (argv.empty()) return std::nullopt;
  PipeSignalIgnored no_sigpipe;
  Pipe in, out, err;
  if (!in.open() || (collect && (!out.open() || !err.open()))) return std::nullopt;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in.read, STDIN_FILENO);
  if (collect) {
    posix_spawn_file_actions_adddup2(&actions, out.write, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err.write, STDERR_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  }
  close_others_on_spawn(actions);
  CleanAttributes attributes(0);
  std::vector<char*> args = c_argv(argv);
  const std::vector<std::string> environment =
      settings.empty() ? std::vector<std::string>{} : environment_with(settings);
  std::vector<char*> envp = c_argv(environment);
  pid_t child = -1;
  const int failed = posix_spawn(&child, args[0], &actions, &attributes.attr, args.data(),
                                 settings.empty() ? environ : envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return std::nullopt;

  close_fd(in.read);
  close_fd(out.write);
  close_fd(err.write);
  Exchange exchange(child, in.write, out.read, err.read, input, most_out);
  in.write = out.read = err.read = -1;  // the exchange closes them
  return exchange.run(timeout_ms);
}

bool start_detached(const std::vector<std::string>& argv) {
  if (argv.empty()) return false;
  std::vector<char*> args = c_argv(argv);
  Pipe report;  // the grandchild writes errno here when exec fails
  if (!report.open()) return false;

  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    // Only async-signal-safe calls from here to exec: the program has threads.
    setsid();
    const pid_t grandchild = fork();
    if (grandchild != 0) _exit(grandchild < 0 ? 1 : 0);
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, STDIN_FILENO);
      dup2(null, STDOUT_FILENO);
      dup2(null, STDERR_FILENO);
      if (null > STDERR_FILENO) close(null);
    }
    close_others_in_child(report.write);
    struct sigaction by_default {};
    by_default.sa_handler = SIG_DFL;
    sigemptyset(&by_default.sa_mask);
    for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP}) sigaction(s, &by_default, nullptr);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execv(args[0], args.data());
    const int error = errno;
    ssize_t ignored = write(report.write, &error, sizeof error);
    (void)ignored;
    _exit(127);
  }
  close_fd(report.write);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return false;
  int error = 0;
  ssize_t got;
  while ((got = read(report.read, &error, sizeof error)) < 0 && errno == EINTR) {
  }
  return got == 0;  // closed by a successful exec
}

}  // namespace velk0::platform::posix
