// What the POSIX sound tests render with, and how they tell sound from
// silence in the 16-bit files they read back.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace velk0::testing {

// The General MIDI SoundFonts a test that measures sound measures with, each
// by name (cmake/tests.cmake lists them): TimGM6mb, which the build needs,
// first, then FluidR3_GM. Never the system's default, which may be either.
inline constexpr const char* kSoundFonts[] = {VELK0_TEST_SOUNDFONTS};
// For the tests that need a SoundFont to load but measure no sound.
inline constexpr const char* kSoundFont = kSoundFonts[0];
inline constexpr int kRate = 44100;
// A piano note at full velocity peaks well above this; silence is 0.
inline constexpr int kAudible = 400;

// A test measured with each SoundFont: its name ends with the SoundFont's.
inline std::string soundfont_name(const ::testing::TestParamInfo<const char*>& info) {
  return std::filesystem::path(info.param).stem().string();
}

// A test of `Fixture` measured with each SoundFont, its parameter; it skips
// when that SoundFont is not installed.
template <class Fixture>
class MeasuredWith : public Fixture, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(this->GetParam()))
      GTEST_SKIP() << this->GetParam()
                   << " is not installed (scripts/install-deps.sh --tests installs it)";
  }
};

}  // namespace velk0::testing
