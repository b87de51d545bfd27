#include "platform/common/text_encoding.h"

#include <array>
#include <cstdint>
#include <optional>

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

// A byte of a system name kept as an escape: 0x81, then 0xA0 + each half.
constexpr unsigned char kNameEscape = 0x81;
constexpr unsigned char kHalfBase = 0xA0;
constexpr std::size_t kEscapeLength = 3;

void append_name_escape(std::string& out, unsigned char byte) {
  out += static_cast<char>(kNameEscape);
  out += static_cast<char>(kHalfBase | (byte >> 4));
  out += static_cast<char>(kHalfBase | (byte & 15));
}

// The byte an escape at the start of `text` stands for; nothing when no
// escape starts there.
std::optional<unsigned char> name_escape(std::string_view text) {
  if (text.size() < kEscapeLength || static_cast<unsigned char>(text[0]) != kNameEscape)
    return std::nullopt;
  const unsigned char high = text[1], low = text[2];
  if ((high & 0xF0) != kHalfBase || (low & 0xF0) != kHalfBase) return std::nullopt;
  return static_cast<unsigned char>(((high & 15) << 4) | (low & 15));
}

// A character shown as it is: no control character.
bool printable(char32_t cp) { return cp >= 0x20 && (cp < 0x7F || cp >= 0xA0); }

// Appends the bytes of the name that the run of escapes at the start of
// `text` stands for. Returns the program bytes of the run.
std::size_t append_name_bytes(std::string& out, std::string_view text) {
  std::size_t used = 0;
  for (std::optional<unsigned char> byte; (byte = name_escape(text.substr(used)));) {
    out += static_cast<char>(*byte);
    used += kEscapeLength;
  }
  return used;
}

// The same, the bytes as they are shown: each well-formed UTF-8 character that
// is no control character as it is, any other byte as \xNN. Returns the
// program bytes of the run.
std::size_t append_shown_name(std::string& out, std::string_view text) {
  std::string bytes;
  const std::size_t used = append_name_bytes(bytes, text);
  for (std::string_view rest = bytes; !rest.empty();) {
    const Utf8Char c = utf8_char(rest);
    if (c.length > 0 && printable(c.code_point)) {
      out += rest.substr(0, c.length);
      rest.remove_prefix(c.length);
    } else {
      append_escape(out, static_cast<unsigned char>(rest.front()));
      rest.remove_prefix(1);
    }
  }
  return used;
}

// The UTF-8 form of a text as shown (to_display_ansi), each run of a system
// name's escapes appended by `append_run` (which returns the bytes it used).
std::string utf8_with_names(std::string_view program_text,
                            std::size_t (*append_run)(std::string&, std::string_view)) {
  std::string out;
  out.reserve(program_text.size() + 8);
  const std::string shown = to_display_ansi(program_text);
  for (std::size_t i = 0; i < shown.size();) {
    const std::string_view rest = std::string_view(shown).substr(i);
    if (name_escape(rest)) {
      i += append_run(out, rest);
      continue;
    }
    append_utf8(out, code_point(shown[i]));
    ++i;
  }
  return out;
}

// The UTF-8 form of a text with a system name's escapes as they are shown.
std::string to_shown_utf8(std::string_view program_text) {
  return utf8_with_names(program_text, append_shown_name);
}

}  // namespace

std::string from_system_name(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  while (!in.empty()) {
    const Utf8Char c = utf8_char(in);
    const char byte = c.length > 0 ? windows1252_byte(c.code_point) : '?';
    if (c.length > 0 && (byte != '?' || c.code_point == '?')) {
      out += byte;
      in.remove_prefix(c.length);
      continue;
    }
    const std::size_t length = c.length > 0 ? c.length : 1;
    for (std::size_t k = 0; k < length; ++k)
      append_name_escape(out, static_cast<unsigned char>(in[k]));
    in.remove_prefix(length);
  }
  return out;
}

std::string to_display_ansi(std::string_view program_text) {
  std::string out(program_text);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) == 0x82) c = static_cast<char>(0xE9);
    if (static_cast<unsigned char>(c) == 0x8A) c = static_cast<char>(0xE8);
  }
  return out;
}

std::string to_utf8(std::string_view program_text) {
  return utf8_with_names(program_text, append_name_bytes);
}

std::string to_terminal(std::string_view program_text) {
  std::string out;
  out.reserve(program_text.size() + 8);
  const std::string shown = to_display_ansi(program_text);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    unsigned char byte = shown[i];
    if (name_escape(std::string_view(shown).substr(i))) {
      i += append_shown_name(out, std::string_view(shown).substr(i)) - 1;
    } else if (byte == '\r') {
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
  for (char c : to_shown_utf8(program_text)) {
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
