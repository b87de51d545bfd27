#include "platform/doubles/trace_file.h"

#include "platform/system.h"

namespace velk0::platform {

TraceFile::TraceFile(const std::string& path) : std::ostream(&buffer_) {
  buffer_.file = open_unshared(path);
  if (!buffer_.file) setstate(std::ios::failbit);
}

TraceFile::~TraceFile() {
  if (buffer_.file) std::fclose(buffer_.file);
}

TraceFile::Buffer::int_type TraceFile::Buffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  return file && std::fputc(traits_type::to_char_type(c), file) != EOF ? c : traits_type::eof();
}

std::streamsize TraceFile::Buffer::xsputn(const char* s, std::streamsize n) {
  if (!file || n <= 0) return 0;
  return static_cast<std::streamsize>(std::fwrite(s, 1, static_cast<std::size_t>(n), file));
}

int TraceFile::Buffer::sync() { return file && std::fflush(file) == 0 ? 0 : -1; }

}  // namespace velk0::platform
