#include <gtest/gtest.h>

#include <filesystem>

#include "core/text_files.h"
#include "test_platform.h"

namespace velk0 {
namespace {

class FileEncodingTest : public testing::PlatformTest {};

TEST_F(FileEncodingTest, AUtf8FileReadsAsItsWindows1252Form) {
  const std::string program_text = "r\xE9glage \x80 \x9C\nfin \xE0";
  const std::string utf8 = "r\xC3\xA9glage \xE2\x82\xAC \xC5\x93\r\nfin \xC3\xA0";
  struct Case {
    std::string bytes, text;
  } cases[] = {
      {"r\xE9glage \x80 \x9C\r\nfin \xE0", program_text},  // the program's own bytes
      {utf8, program_text},
      {"\xEF\xBB\xBF" + utf8, program_text},
      // Not all UTF-8: every byte as it is.
      {"\xC3\xA9 \xE9", "\xC3\xA9 \xE9"},
      {"\xEF\xBB\xBF", ""},
      // A character Windows-1252 has no byte for.
      {"do \xE4\xB8\xAD", "do ?"},
  };
  for (const auto& c : cases) {
    write_file("\\korvane\\texte.ini", c.bytes);
    std::string dst;
    EXPECT_EQ(read_text_file(services(), dst, 1, "\\korvane\\texte.ini"),
              static_cast<int>(c.text.size()));
    EXPECT_EQ(dst, c.text);
  }
  EXPECT_TRUE(boxes().empty());
}

TEST_F(FileEncodingTest, PagesCountCharactersAfterConversion) {
  std::string utf8 = "\xEF\xBB\xBF";
  for (int i = 0; i < 3000; ++i) utf8 += "\xC3\xA9";
  write_file("\\korvane\\long.tab", utf8);
  std::string dst;
  EXPECT_EQ(read_text_file(services(), dst, 1, "\\korvane\\long.tab"), 2048);
  EXPECT_EQ(dst, std::string(2048, '\xE9'));
  EXPECT_EQ(read_text_file(services(), dst, 2, "\\korvane\\long.tab"), 952);
  EXPECT_EQ(dst, std::string(952, '\xE9'));
}

TEST_F(FileEncodingTest, AFolderInPlaceOfAFileIsAFileThatCannotBeRead) {
  std::filesystem::create_directories(root() / "korvane" / "notaflux.ini");
  std::string dst = "old";
  EXPECT_EQ(read_text_file(services(), dst, 1, "\\korvane\\notaflux.ini"), 0);
  EXPECT_EQ(write_text_file(*services().files, "x", "\\korvane\\notaflux.ini"), 1);
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].text, "\\korvane\\notaflux.ini");
  EXPECT_EQ(boxes()[0].caption, "impossible d'ouvrir en lecture");
}

}  // namespace
}  // namespace velk0
