// The system calls under the portable helpers, on Windows: names and the
// environment are in the ANSI code page, which is the program's own; there
// are no FIFOs, and a device such as CON is refused once open.
#include "platform/system.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace velk0::platform {

ReadOnlyFile::ReadOnlyFile(const std::string& native_path) {
  fd_ = ::_open(native_path.c_str(), O_RDONLY | O_BINARY);
  if (fd_ < 0) return;
  struct stat info {};
  if (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::_close(fd_);
    fd_ = -1;
  }
}

ReadOnlyFile::~ReadOnlyFile() {
  if (fd_ >= 0) ::_close(fd_);
}

long long ReadOnlyFile::read(char* into, std::size_t size) {
  return ::_read(fd_, into, static_cast<unsigned>(size));
}

bool ReadOnlyFile::rewind() { return ::_lseek(fd_, 0, SEEK_SET) == 0; }

std::FILE* open_unshared(const std::string& native_path) {
  return std::fopen(native_path.c_str(), "wb");
}

std::string system_write_failure(const std::error_code&) { return {}; }

std::string environment_text(std::string_view text) { return std::string(text); }

}  // namespace velk0::platform
