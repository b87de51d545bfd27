// Feeds arbitrary bytes to both tablature readers, the key-signature rewrite,
// the player and the musical commands: nothing may crash, hang or overflow.
#include <cstddef>
#include <cstdint>
#include <string>

#include "harmony/musical_command.h"
#include "midi/midi_out.h"
#include "platform/platform.h"
#include "platform/virtual_clock.h"
#include "tablature/notation.h"
#include "tablature/player.h"
#include "tablature/settings.h"

namespace {

using namespace velk0;

// Answers every box in turn from the input's own bytes.
class ByteDialogs : public platform::Dialogs {
 public:
  int show(platform::BoxStyle style, std::string_view, std::string_view) override {
    if (style != platform::BoxStyle::choice) return platform::kAnswerOk;
    static const int kAnswers[] = {platform::kAnswerYes, platform::kAnswerYes, platform::kAnswerNo,
                                   platform::kAnswerCancel};
    return kAnswers[(seed++) & 3];
  }
  unsigned seed = 0;
};

class SilentDevice : public platform::MidiDevices {
 public:
  unsigned count() override { return 1; }
  int notes(unsigned) override { return 16; }
  bool open(unsigned) override { return true; }
  void send(std::uint32_t word) override {
    if (((word >> 8) & 0x80) || ((word >> 16) & 0x80)) __builtin_trap();  // a data byte >= 128
  }
  void close() override {}
};

class NoFiles : public platform::Files {
 public:
  std::optional<platform::TextPage> read_text(std::string_view, int) override { return {}; }
  bool write_text(std::string_view, std::string_view) override { return false; }
};

class NoSounds : public platform::SoundCues {
 public:
  void play(std::string_view) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static ByteDialogs dialogs;
  static SilentDevice device;
  static platform::VirtualClock clock;
  static NoFiles files;
  static NoSounds sounds;
  static platform::Platform p{&dialogs, &device, &clock, &sounds, &files};
  platform::install(&p);
  if (size < 2) return 0;

  // The first byte chooses what to run, the second where the text splits
  // into a key signature (or modes) and the tablature.
  const unsigned what = data[0] % 5;
  const std::size_t split = std::min<std::size_t>(data[1], size - 2);
  const std::string head(reinterpret_cast<const char*>(data + 2), split);
  std::string text(reinterpret_cast<const char*>(data + 2 + split), size - 2 - split);
  dialogs.seed = data[1];

  settings() = PlaySettings{};
  set_bounded(settings().arma, head, kSettingCapacity);
  NoteList list;
  std::string out, collected;
  switch (what) {
    case 0:
      parse_tablature(text, list.notes, list.durations);
      break;
    case 1:
      apply_key_signature(text, out);
      if (out.size() > kTextCapacity + 1) __builtin_trap();
      break;
    case 2:
      settings().arma.clear();
      play_tablature(text, head, data[1] % 7 - 2, data[1] % 13, collected, list);
      break;
    case 3:
      musical_command(head.substr(0, 1), head.size() > 1 ? head.substr(1) : "", text, out);
      break;
    default:
      play_tablature(text, "", 1, 100, collected, list);
  }
  if (list.durations[0] > static_cast<std::uint32_t>(kListCapacity)) __builtin_trap();
  if (settings().arma.size() > kSettingCapacity) __builtin_trap();
  return 0;
}
