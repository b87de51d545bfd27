// Writes, into the folder given, the data folder korvane/ exactly as the
// Windows programs make it at their first use (the shipped cues and a device
// choice of output 0), so that the Windows packages ship it whole. Built and
// run on the build machine.
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "midi/device_choice.h"
#include "platform/common/data_folder.h"

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  if (argc != 2) {
    std::cerr << "usage: make_data_folder OUTPUT_FOLDER\n";
    return 2;
  }
  const fs::path root(argv[1]);
  const fs::path folder = root / "korvane";
  std::error_code error;
  fs::remove_all(folder, error);  // made anew, never merged with an old one
  // The same first-use files as velk0.exe's.
  const std::string choice = velk0::device_choice_text(0);
  const velk0::platform::SeedFile seeds[] = {{velk0::kDeviceChoicePath, choice}};
  velk0::platform::make_data_folder_at_first_use(
      [&root](std::string_view system_path) {
        std::string relative(system_path.substr(system_path.find_first_not_of('\\')));
        for (char& c : relative)
          if (c == '\\') c = '/';
        return (root / relative).string();
      },
      seeds);
  return fs::is_directory(folder) ? 0 : 1;
}
