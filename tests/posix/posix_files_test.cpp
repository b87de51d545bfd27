#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/common/std_files.h"
#include "scratch_folder.h"

namespace velk0::platform {
namespace {

class PosixFilesTest : public ::testing::Test {
 protected:
  std::string path(const char* name) const { return (folder_ / name).string(); }

  StdFiles files_{[](std::string_view p) { return std::string(p); }};
  velk0::testing::ScratchFolder scratch_{"velk0-posix-files"};
  const std::filesystem::path& folder_ = scratch_.path();
};

// None of these may block, and each is a file that cannot be read.
TEST_F(PosixFilesTest, OnlyRegularFilesAreRead) {
  ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
  const std::string unreadable[] = {
      path("fifo"),      // no writer: a blocking open would wait for ever
      "/dev/zero",       // a device that never ends
      "/dev/null",       // a device
      folder_.string(),  // a folder
      path("absent"),    // nothing
      "/proc/self/mem",  // a regular file whose first read fails
  };
  for (const std::string& p : unreadable) EXPECT_FALSE(files_.read_text(p, 1)) << p;
  EXPECT_FALSE(files_.write_text(path("fifo"), "x"));  // no reader: a blocking open would wait
  EXPECT_FALSE(files_.write_text("/dev/null", "x"));
}

TEST_F(PosixFilesTest, AFileWithoutReadPermissionCannotBeRead) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser reads every file";
  std::ofstream(path("locked")) << "c d e";
  ASSERT_EQ(chmod(path("locked").c_str(), 0), 0);
  EXPECT_FALSE(files_.read_text(path("locked"), 1));
}

}  // namespace
}  // namespace velk0::platform
