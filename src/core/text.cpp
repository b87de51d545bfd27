#include "core/text.h"

#include <cstdarg>
#include <cstdio>
#include <limits>
#include <vector>

namespace velk0 {

void copy_substring(std::string& dst, std::string_view src, int pos, int len) {
  dst.clear();
  if (len < 1 || pos < 1) return;
  const std::size_t start = static_cast<std::size_t>(pos) - 1;
  if (start >= src.size()) return;
  dst = src.substr(start, static_cast<std::size_t>(len));
}

std::int32_t read_integer(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr long long kMax = std::numeric_limits<std::int32_t>::max();
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > kMax + 1) value = kMax + 1;
  }
  if (negative) return static_cast<std::int32_t>(-value);
  return static_cast<std::int32_t>(value > kMax ? kMax : value);
}

std::int32_t read_digits(std::string_view text) {
  const std::size_t digits = text.find_first_not_of("0123456789");
  return read_integer(text.substr(0, digits));
}

std::string_view c_text(std::string_view text, std::size_t capacity) {
  text = text.substr(0, text.find('\0'));
  return text.substr(0, capacity);
}

std::string format_text(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (size > 0) {
    std::vector<char> buffer(static_cast<std::size_t>(size) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    out.assign(buffer.data(), static_cast<std::size_t>(size));
  }
  va_end(args);
  return out;
}

}  // namespace velk0
