// The few calls under the portable helpers that differ from one system to
// the next. Each backend family implements them once (posix/system/,
// win32/system/), and they are built with the helpers, so that the tests run
// them as the program does.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>

namespace velk0::platform {

// A regular file open for reading, closed when it goes. Opening never waits:
// a folder, a FIFO or a device is refused.
class ReadOnlyFile {
 public:
  explicit ReadOnlyFile(const std::string& native_path);
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  bool is_open() const { return fd_ >= 0; }
  // Reads up to `size` bytes into `into`: how many, 0 at the end of the
  // file, -1 when the read failed.
  long long read(char* into, std::size_t size);
  // Back to the first byte; false when the system refuses.
  bool rewind();

 private:
  int fd_ = -1;
};

// Opens a file for writing, created or emptied, that the programs this one
// starts do not inherit; null when it cannot be opened.
std::FILE* open_unshared(const std::string& native_path);

// Why a write failed, in French, for the errors only this system has; empty
// for any other.
std::string system_write_failure(const std::error_code& error);

// A text from the environment, in the program's own bytes.
std::string environment_text(std::string_view text);

}  // namespace velk0::platform
