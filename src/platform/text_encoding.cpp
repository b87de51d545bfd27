#include "platform/text_encoding.h"

#include <array>
#include <cstdint>

namespace velk0::platform {
namespace {

// Unicode code points of the Windows-1252 bytes 0x80 to 0x9F (0 = unassigned).
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t code_point(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) {
    char16_t cp = kHighControls[byte - 0x80];
    return cp ? cp : byte;
  }
  return byte;
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

int byte_for(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (std::size_t i = 0; i < kHighControls.size(); ++i)
    if (kHighControls[i] == cp) return static_cast<int>(0x80 + i);
  return -1;
}

}  // namespace

std::string to_display_ansi(std::string_view program_text) {
  std::string out(program_text);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) == 0x82) c = static_cast<char>(0xE9);
    if (static_cast<unsigned char>(c) == 0x8A) c = static_cast<char>(0xE8);
  }
  return out;
}

std::string to_utf8(std::string_view program_text) {
  std::string out;
  out.reserve(program_text.size() + 8);
  for (char c : to_display_ansi(program_text)) append_utf8(out, code_point(c));
  return out;
}

std::string from_utf8(std::string_view in) {
  std::string out;
  std::size_t i = 0;
  while (i < in.size()) {
    unsigned char b = in[i];
    std::size_t len = b < 0x80         ? 1
                      : (b >> 5) == 6  ? 2
                      : (b >> 4) == 14 ? 3
                      : (b >> 3) == 30 ? 4
                                       : 0;
    bool valid = len > 0 && i + len <= in.size();
    char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (std::size_t k = 1; valid && k < len; ++k) {
      unsigned char cont = in[i + k];
      valid = (cont & 0xC0) == 0x80;
      cp = (cp << 6) | (cont & 0x3F);
    }
    if (!valid) {  // not UTF-8: keep the byte as it is
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    int byte = byte_for(cp);
    out += byte < 0 ? '?' : static_cast<char>(byte);
    i += len;
  }
  return out;
}

std::string json_string(std::string_view program_text) {
  std::string out = "\"";
  for (char c : to_utf8(program_text)) {
    unsigned char u = c;
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (u < 0x20) {
          static const char* hex = "0123456789abcdef";
          out += "\\u00";
          out += hex[u >> 4];
          out += hex[u & 15];
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

}  // namespace velk0::platform
