#include <gtest/gtest.h>

#include "core/text_files.h"
#include "test_platform.h"

namespace velk0 {
namespace {

class TextFilesTest : public testing::PlatformTest {};

TEST_F(TextFilesTest, ReadsOnePageInTextMode) {
  std::string big(3000, 'x');
  big[2047] = 'y';
  write_file("\\korvane\\big.txt", big);
  write_file("\\korvane\\crlf.txt", std::string("a\r\nb\rc\xFF", 7));
  write_file("\\korvane\\zero.txt", std::string("a\0b", 3));
  write_file("\\korvane\\empty.txt", "");
  struct Case {
    const char* path;
    int page, count;
    std::string text;
  } cases[] = {
      {"\\korvane\\big.txt", 1, 2048, std::string(2047, 'x') + "y"},
      {"\\korvane\\big.txt", 2, 952, std::string(952, 'x')},
      {"\\korvane\\crlf.txt", 1, 6, "a\nb\rc\xFF"},
      {"\\korvane\\zero.txt", 1, 3, "ab"},
      {"\\korvane\\empty.txt", 1, 0, ""},
  };
  for (const auto& c : cases) {
    std::string dst = "old";
    EXPECT_EQ(read_text_file(services(), dst, c.page, c.path), c.count) << c.path;
    EXPECT_EQ(dst, c.text) << c.path;
  }
  EXPECT_TRUE(boxes().empty());
}

TEST_F(TextFilesTest, AMissingFileIsReportedInAChoiceBox) {
  std::string dst = "old";
  EXPECT_EQ(read_text_file(services(), dst, 1, "\\korvane\\absent.ini"), 0);
  EXPECT_EQ(dst, "");
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(boxes()[0].style, "choice");
  EXPECT_EQ(boxes()[0].text, "\\korvane\\absent.ini");
  EXPECT_EQ(boxes()[0].caption, "impossible d'ouvrir en lecture");
}

TEST_F(TextFilesTest, WritesLineFeedsAsCarriageReturnAndLineFeed) {
  EXPECT_EQ(write_text_file(*services().files, "do\nr\xE9\n", "\\korvane\\prvinfo.tab"), 0);
  EXPECT_EQ(read_file("\\korvane\\prvinfo.tab"), "do\r\nr\xE9\r\n");
  EXPECT_EQ(write_text_file(*services().files, "x", "\\nowhere\\sub\\file.tab"), 1);
  auto files = events("file");
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(testing::field(files[0], "op"), "write");
  EXPECT_EQ(testing::number(files[0], "chars"), 6);
}

}  // namespace
}  // namespace velk0
