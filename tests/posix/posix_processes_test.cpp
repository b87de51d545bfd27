#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/posix/processes/companions.h"
#include "platform/posix/processes/processes.h"
#include "scratch_folder.h"

namespace velk0::platform::posix {
namespace {

namespace fs = std::filesystem;
using std::chrono::steady_clock;

class Processes : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(dir_ / "korvane"); }

  // A script that writes its own name into `ran`, then sleeps.
  fs::path script(const fs::path& at) {
    std::ofstream(at) << "#!/bin/sh\necho \"$0\" >\"" << (dir_ / "ran").string() << "\"\nsleep 2\n";
    fs::permissions(at, fs::perms::owner_all);
    return at;
  }
  bool ran_within_seconds(int seconds) {
    auto end = steady_clock::now() + std::chrono::seconds(seconds);
    while (steady_clock::now() < end) {
      if (fs::exists(dir_ / "ran") && fs::file_size(dir_ / "ran") > 0) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  velk0::testing::ScratchFolder scratch_{"velk0-processes"};
  const fs::path& dir_ = scratch_.path();
};

TEST_F(Processes, ADetachedProgramRunsOnWithoutLeavingAChildBehind) {
  const auto start = steady_clock::now();
  ASSERT_TRUE(start_detached({script(dir_ / "companion").string()}));
  EXPECT_LT(steady_clock::now() - start, std::chrono::milliseconds(1500));  // not waited for
  EXPECT_TRUE(ran_within_seconds(10));
  // The program is no child of ours: nothing to reap, no zombie.
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  EXPECT_FALSE(start_detached({(dir_ / "missing").string()}));
}

TEST_F(Processes, WindowsNamesAreFoundUnderTheDataFolderThenAlongPath) {
  PosixPrograms programs(dir_.string());
  script(dir_ / "korvane" / "vantrel");
  EXPECT_TRUE(programs.start("\\korvane\\vantrel.exe"));  // also without .exe
  ASSERT_TRUE(ran_within_seconds(10));
  std::ifstream in(dir_ / "ran");
  std::string ran;
  std::getline(in, ran);
  EXPECT_EQ(ran, (dir_ / "korvane" / "vantrel").string());
  EXPECT_FALSE(programs.start("velk0-no-such-companion.exe"));
  EXPECT_TRUE(programs.start("true.exe"));  // along PATH
}

TEST_F(Processes, RunToEndFeedsCollectsAndGivesUpInTime) {
  auto cat = find_program("cat");
  ASSERT_TRUE(cat);
  std::string big(200000, 'x');  // more than a pipe holds: fed and read together
  auto finished = run_to_end({*cat}, big, true, 5000);
  ASSERT_TRUE(finished);
  EXPECT_EQ(finished->status, 0);
  EXPECT_EQ(finished->out, big);

  auto sleep = find_program("sleep");
  ASSERT_TRUE(sleep);
  const auto start = steady_clock::now();
  finished = run_to_end({*sleep, "10"}, {}, false, 200);
  ASSERT_TRUE(finished);
  EXPECT_EQ(finished->status, -1);
  EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_FALSE(run_to_end({(dir_ / "missing").string()}, {}, true, 200));
}

TEST_F(Processes, WhatIsKeptOfAProgramsOutputIsBounded) {
  // 8 MB on each stream, then its last words: the first bytes of its output
  // are kept, and the last of its error output.
  auto sh = find_program("sh");
  ASSERT_TRUE(sh);
  const std::string flood = "head -c 8000000 /dev/zero | tr '\\0' ";
  auto finished =
      run_to_end({*sh, "-c", flood + "o; " + flood + "e >&2; echo 'dernier mot' >&2; exit 3"}, {},
                 true, 20000);
  ASSERT_TRUE(finished);
  EXPECT_EQ(finished->status, 3);
  EXPECT_EQ(finished->out, std::string(kMostKeptOutput, 'o'));
  EXPECT_FALSE(finished->cut);
  ASSERT_EQ(finished->err.size(), kMostKeptError);
  EXPECT_TRUE(finished->err.ends_with("eeedernier mot\n"));

  // One that never stops writing is still stopped in time, its words bounded.
  const auto start = steady_clock::now();
  finished = run_to_end({*sh, "-c", "while :; do echo bruit; done >&2"}, {}, true, 500);
  ASSERT_TRUE(finished);
  EXPECT_EQ(finished->status, -1);
  EXPECT_LE(finished->err.size(), kMostKeptError);
  EXPECT_LT(steady_clock::now() - start, std::chrono::seconds(5));
}

}  // namespace
}  // namespace velk0::platform::posix
