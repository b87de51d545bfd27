#include "platform/std_files.h"

#include <fstream>
#include <iterator>

#include "platform/text_encoding.h"

namespace velk0::platform {

std::optional<TextPage> StdFiles::read_text(std::string_view path, int page) {
  std::ifstream in(native_(path), std::ios::binary);
  if (!in) return std::nullopt;
  TextPage result;
  long long skip = page > 1 ? static_cast<long long>(page - 1) * kPageSize : 0;
  std::istreambuf_iterator<char> it(in), end;
  while (it != end && result.count < kPageSize) {
    char c = *it++;
    if (c == '\r' && it != end && *it == '\n') continue;  // text mode
    if (skip > 0) {
      --skip;
      continue;
    }
    ++result.count;
    if (c != '\0') result.text += c;
  }
  return result;
}

bool StdFiles::write_text(std::string_view path, std::string_view text) {
  std::ofstream out(native_(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  for (char c : text) {
    if (c == '\n') out.put('\r');
    out.put(c);
  }
  return static_cast<bool>(out.flush());
}

std::string posix_native_path(std::string_view system_path, std::string_view root) {
  std::string path = to_utf8(system_path);
  for (char& c : path)
    if (c == '\\') c = '/';
  if (!system_path.empty() && system_path.front() == '\\') {
    std::string base(root);
    while (!base.empty() && base.back() == '/') base.pop_back();
    return base + path;
  }
  return path;
}

}  // namespace velk0::platform
