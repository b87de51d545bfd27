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

// Windows-1252 leaves five bytes undefined; shown as they are, they would
// reach a terminal as C1 control characters.
bool undefined_byte(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 && kHighControls[byte - 0x80] == 0;
}

void append_escape(std::string& out, unsigned char byte) {
  static const char* hex = "0123456789abcdef";
  out += "\\x";
  out += hex[byte >> 4];
  out += hex[byte & 15];
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

std::string to_terminal(std::string_view program_text) {
  std::string out;
  out.reserve(program_text.size() + 8);
  const std::string shown = to_display_ansi(program_text);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    unsigned char byte = shown[i];
    if (byte == '\r') {
      if (i + 1 < shown.size() && shown[i + 1] == '\n') continue;  // the line feed follows
      out += '\n';
    } else if ((byte < 0x20 && byte != '\n' && byte != '\t') || byte == 0x7F ||
               undefined_byte(byte)) {
      append_escape(out, byte);
    } else {
      append_utf8(out, code_point(byte));
    }
  }
  return out;
}

Utf8Char utf8_char(std::string_view in) {
  if (in.empty()) return {};
  unsigned char lead = in[0];
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 0;
  char32_t cp = 0, smallest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, cp = lead & 0x1F, smallest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, cp = lead & 0x0F, smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, cp = lead & 0x07, smallest = 0x10000;
  } else {
    return {};
  }
  if (in.size() < length) return {};
  for (std::size_t k = 1; k < length; ++k) {
    unsigned char cont = in[k];
    if ((cont & 0xC0) != 0x80) return {};
    cp = (cp << 6) | (cont & 0x3F);
  }
  if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {};
  return {cp, length};
}

char windows1252_byte(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (std::size_t i = 0; i < kHighControls.size(); ++i)
    if (kHighControls[i] == cp) return static_cast<char>(0x80 + i);
  return '?';
}

std::string from_utf8(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  while (!in.empty()) {
    Utf8Char c = utf8_char(in);
    if (c.length == 0) {  // not UTF-8: keep the byte as it is
      out += in.front();
      in.remove_prefix(1);
      continue;
    }
    out += windows1252_byte(c.code_point);
    in.remove_prefix(c.length);
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
