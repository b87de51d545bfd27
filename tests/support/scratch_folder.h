// A folder of its own for each test, named after the test and the process,
// made empty at the start and removed at the end.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace velk0::testing {

class ScratchFolder {
 public:
  explicit ScratchFolder(std::string_view prefix) {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            (std::string(prefix) + "-" + std::to_string(getpid()) + "-" +
             (test ? std::string(test->test_suite_name()) + "-" + test->name() : "none"));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace velk0::testing
