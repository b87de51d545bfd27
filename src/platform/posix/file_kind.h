// What a path names, found without opening it (a FIFO would block): shared by
// the media devices and the audio output that checks a wave file.
#pragma once

#include <sys/stat.h>

#include <string>

namespace velk0::platform::posix {

// Nothing there, a regular file, or something else (a folder, a device, a FIFO).
enum class FileKind { missing, regular, other };

inline FileKind file_kind(const std::string& native_path) {
  struct stat info {};
  if (stat(native_path.c_str(), &info) != 0) return FileKind::missing;
  return S_ISREG(info.st_mode) ? FileKind::regular : FileKind::other;
}

}  // namespace velk0::platform::posix
