// The system calls under the portable helpers, on a POSIX system: names and
// the environment are UTF-8, and opening a FIFO or a device must never wait.
#include "platform/system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/common/text_encoding.h"

namespace velk0::platform {

ReadOnlyFile::ReadOnlyFile(const std::string& native_path) {
  // Open without blocking, then refuse whatever is not a regular file.
  fd_ = ::open(native_path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd_ < 0) return;
  struct stat info {};
  if (fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd_);
    fd_ = -1;
  }
}

ReadOnlyFile::~ReadOnlyFile() {
  if (fd_ >= 0) ::close(fd_);
}

long long ReadOnlyFile::read(char* into, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd_, into, size);
    if (got >= 0 || errno != EINTR) return got;
  }
}

bool ReadOnlyFile::rewind() { return lseek(fd_, 0, SEEK_SET) == 0; }

std::FILE* open_unshared(const std::string& native_path) {
  return std::fopen(native_path.c_str(), "wbe");  // close-on-exec
}

std::string system_write_failure(const std::error_code& error) {
  if (error == std::error_code(EDQUOT, std::generic_category()) ||
      error == std::error_code(EDQUOT, std::system_category()))
    return "quota du disque d\xE9pass\xE9";
  return {};
}

std::string environment_text(std::string_view text) { return from_utf8(text); }

}  // namespace velk0::platform
