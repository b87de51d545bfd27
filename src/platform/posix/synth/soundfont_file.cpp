#include "platform/posix/synth/soundfont_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

namespace velk0::platform::posix {
namespace {

// Records are read a few bytes at a time, samples in blocks of many
// kilobytes: small reads come from the window, large ones go straight into
// place.
constexpr std::size_t kWindowBytes = 64 * 1024;
constexpr std::uint64_t kLargestRead = 1u << 30;

struct SoundFontFile {
  int fd = -1;
  std::int64_t size = 0;
  std::int64_t position = 0;
  std::int64_t window_start = 0;
  std::size_t window_bytes = 0;
  std::array<char, kWindowBytes> window{};
};

// Up to `count` bytes at the file's position; the count read, 0 at the end,
// -1 on an error.
long long read_at(SoundFontFile& file, char* into, std::size_t count) {
  for (;;) {
    ssize_t got = pread(file.fd, into, count, static_cast<off_t>(file.position));
    if (got >= 0 || errno != EINTR) return got;
  }
}

void* open_file(const char* path) {
  int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  auto* file = fstat(fd, &info) == 0 ? new (std::nothrow) SoundFontFile : nullptr;
  if (!file) {
    close(fd);
    return nullptr;
  }
  file->fd = fd;
  file->size = info.st_size;
  return file;
}

// Copies what the window holds at the file's position, at most `left`
// bytes; the count copied.
long long copy_from_window(SoundFontFile& file, char* out, std::uint64_t left) {
  std::int64_t offset = file.position - file.window_start;
  if (offset < 0 || static_cast<std::uint64_t>(offset) >= file.window_bytes) return 0;
  std::uint64_t held = file.window_bytes - static_cast<std::uint64_t>(offset);
  auto n = static_cast<std::size_t>(std::min(left, held));
  std::memcpy(out, file.window.data() + offset, n);
  return static_cast<long long>(n);
}

bool fill_window(SoundFontFile& file) {
  long long got = read_at(file, file.window.data(), kWindowBytes);
  if (got <= 0) return false;
  file.window_start = file.position;
  file.window_bytes = static_cast<std::size_t>(got);
  return true;
}

int read_file(void* buffer, fluid_long_long_t count, void* handle) {
  auto& file = *static_cast<SoundFontFile*>(handle);
  auto* out = static_cast<char*>(buffer);
  if (count < 0) return FLUID_FAILED;
  for (auto left = static_cast<std::uint64_t>(count); left > 0;) {
    long long got = copy_from_window(file, out, left);
    if (got == 0 && left < kWindowBytes) {
      if (!fill_window(file)) return FLUID_FAILED;
      continue;
    }
    if (got == 0) got = read_at(file, out, static_cast<std::size_t>(std::min(left, kLargestRead)));
    if (got <= 0) return FLUID_FAILED;
    out += got;
    left -= static_cast<std::uint64_t>(got);
    file.position += got;
  }
  return FLUID_OK;
}

int seek_file(void* handle, fluid_long_long_t offset, int origin) {
  auto& file = *static_cast<SoundFontFile*>(handle);
  if (origin != SEEK_SET && origin != SEEK_CUR && origin != SEEK_END) return FLUID_FAILED;
  std::int64_t base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? file.position : file.size;
  if (offset < -base || offset > INT64_MAX - base) return FLUID_FAILED;
  file.position = base + offset;
  return FLUID_OK;
}

fluid_long_long_t tell_file(void* handle) { return static_cast<SoundFontFile*>(handle)->position; }

int close_file(void* handle) {
  auto* file = static_cast<SoundFontFile*>(handle);
  int closed = close(file->fd);
  delete file;
  return closed == 0 ? FLUID_OK : FLUID_FAILED;
}

}  // namespace

fluid_sfloader_t* new_soundfont_loader(fluid_settings_t* settings) {
  fluid_sfloader_t* loader = new_fluid_defsfloader(settings);
  if (loader && fluid_sfloader_set_callbacks(loader, open_file, read_file, seek_file, tell_file,
                                             close_file) != FLUID_OK) {
    delete_fluid_sfloader(loader);
    return nullptr;
  }
  return loader;
}

}  // namespace velk0::platform::posix
