#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "core/text.h"
#include "platform/common/text_encoding.h"

namespace velk0 {
namespace {

TEST(CopySubstring, CutsByPositionFromOne) {
  struct Case {
    const char* src;
    int pos, len;
    const char* expected;
  } cases[] = {
      {"abc", 2, 5, "bc"}, {"abc", 2, 2, "bc"}, {"abc", 4, 1, ""},
      {"abc", 1, 0, ""},   {"abc", 0, 2, ""},   {"abc", 3, 1, "c"},
      {"abc", 9, 1, ""},   {"", 1, 1, ""},      {"abc", 1, -4, ""},
  };
  for (const auto& c : cases) {
    std::string dst = "old";
    copy_substring(dst, c.src, c.pos, c.len);
    EXPECT_EQ(dst, c.expected) << c.src << " " << c.pos << " " << c.len;
  }
}

TEST(ReadInteger, ReadsLeadingDigitsLikeTheCLibrary) {
  struct Case {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"42", 42},
      {"  -12abc", -12},
      {"+7", 7},
      {"abc", 0},
      {"", 0},
      {"- 5", 0},
      {"\t\n 3/8", 3},
      {"007", 7},
      {"99999999999999999999", INT_MAX},
      {"-99999999999999999999", INT_MIN},
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(read_integer(c.text), c.value) << c.text;
}

TEST(LowerAscii, LowersOnlyLatinCapitals) {
  EXPECT_EQ(lower_ascii("O3 C D>E"), "o3 c d>e");
  EXPECT_EQ(lower_ascii("\xC9\xE1Z"), "\xC9\xE1z");
}

TEST(TextEncoding, ShowsProgramBytesAsUtf8) {
  EXPECT_EQ(platform::to_utf8("d\xE9"
                              "but \xE0 o\xF9"),
            "d\xC3\xA9"
            "but \xC3\xA0 o\xC3\xB9");
  // The chord names' code page 850 bytes read as é and è.
  EXPECT_EQ(platform::to_utf8("quinte b\x82mol \x8A"), "quinte b\xC3\xA9mol \xC3\xA8");
  EXPECT_EQ(platform::to_display_ansi("b\x82mol"), "b\xE9mol");
  EXPECT_EQ(platform::to_utf8("\x80"), "\xE2\x82\xAC");
}

TEST(TextEncoding, TakesUtf8ArgumentsAsWindows1252) {
  EXPECT_EQ(platform::from_utf8("c\xC3\xA1"
                                "d"),
            "c\xE1"
            "d");  // á is the double flat
  EXPECT_EQ(platform::from_utf8("\xE2\x82\xAC"), "\x80");
  EXPECT_EQ(platform::from_utf8("\xE4\xB8\xAD"), "?");  // no byte for it
  EXPECT_EQ(platform::from_utf8("a\xE1z"), "a\xE1z");   // not UTF-8: kept
  // Forms that are not well-formed UTF-8 are kept byte for byte: an overlong
  // slash or zero byte, a surrogate, a code point beyond U+10FFFF, a cut sequence.
  for (std::string bytes : {"\xC0\xAF", "\xC0\x80", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE2\x82"})
    EXPECT_EQ(platform::from_utf8(bytes), bytes);
  EXPECT_EQ(platform::from_utf8("\xF0\x9F\x8E\xB5"), "?");
}

// A name given by the system comes back as its own bytes, whatever they are,
// shows as its characters and holds nothing a tablature reads.
TEST(TextEncoding, SystemNamesKeepTheirOwnBytes) {
  struct Case {
    std::string name, shown;
  } cases[] = {
      {"\xD0\xBF\xD0\xB5.tab", "\xD0\xBF\xD0\xB5.tab"},            // Cyrillic
      {"\xF0\x9F\x8E\xB5 \xC3\xA9", "\xF0\x9F\x8E\xB5 \xC3\xA9"},  // beyond the BMP, then é
      {"?.tab", "?.tab"},
      {"\xE9t\xE9", "\\xe9t\\xe9"},                  // Latin-1 bytes, no UTF-8
      {"\xC2\x81\xC2\x9B", "\\xc2\\x81\\xc2\\x9b"},  // C1 controls
  };
  for (const Case& c : cases) {
    const std::string kept = platform::from_system_name(c.name);
    EXPECT_EQ(platform::to_utf8(kept), c.name);
    EXPECT_EQ(platform::to_terminal(kept), c.shown);
    // No ASCII added, no double flat: nothing the reader would play.
    auto ascii = [](const std::string& t) {
      return std::count_if(t.begin(), t.end(), [](char ch) { return (ch & 0x80) == 0; });
    };
    EXPECT_EQ(ascii(kept), ascii(c.name)) << c.name;
    EXPECT_EQ(kept.find('\xE1'), std::string::npos) << c.name;
  }
  EXPECT_EQ(platform::from_system_name("\xC3\xA9"), "\xE9");  // é has its byte
}

TEST(TextEncoding, TerminalTextCannotDriveTheTerminal) {
  struct Case {
    std::string program_text, shown;
  } cases[] = {
      {"@\x1b]0;X\a", "@\\x1b]0;X\\x07"},  // a title sequence
      {"a\r\nb\rc\td\n", "a\nb\nc\td\n"},
      {std::string("\0\x7f", 2), "\\x00\\x7f"},
      {"\x81\x8d\x8f\x90\x9d", "\\x81\\x8d\\x8f\\x90\\x9d"},  // undefined in Windows-1252
      {"b\x82mol \x8A \x80 \x9b \xE9", "b\xC3\xA9mol \xC3\xA8 \xE2\x82\xAC \xE2\x80\xBA \xC3\xA9"},
  };
  for (const auto& c : cases) EXPECT_EQ(platform::to_terminal(c.program_text), c.shown);
}

TEST(TextEncoding, WritesJsonStrings) {
  EXPECT_EQ(platform::json_string("a\"b\\c\nd\x01"), "\"a\\\"b\\\\c\\nd\\u0001\"");
  EXPECT_EQ(platform::json_string("\\korvane\\x"), "\"\\\\korvane\\\\x\"");
}

}  // namespace
}  // namespace velk0
