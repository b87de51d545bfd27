#include <string>

#include "app/program.h"
#include "midi/device_choice.h"
#include "platform/entry.h"

int main(int argc, char** argv) {
  // At the first use, output 0 is the one chosen.
  const std::string choice = velk0::device_choice_text(0);
  const velk0::platform::SeedFile first_use[] = {{velk0::kDeviceChoicePath, choice}};
  return velk0::platform::run_entry(argc, argv, velk0::run_program, first_use);
}
