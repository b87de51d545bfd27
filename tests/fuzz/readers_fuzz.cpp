// Feeds arbitrary bytes to both tablature readers, the key-signature rewrite,
// the player, the musical commands, the commands that read the clipboard,
// the dictionary translation and the commands that cut and play the current
// material: nothing may crash, hang or overflow.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include "commands/at_command.h"
#include "commands/musical_command.h"
#include "core/settings.h"
#include "midi/midi_out.h"
#include "platform/doubles/test_doubles.h"
#include "platform/doubles/virtual_clock.h"
#include "platform/platform.h"
#include "tablature/notation.h"
#include "tablature/player.h"

namespace {

using namespace velk0;
using velk0::testing::CycleDialogs;

constexpr int kAnswerCycle[] = {platform::kAnswerYes, platform::kAnswerYes, platform::kAnswerNo,
                                platform::kAnswerCancel};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static CycleDialogs dialogs({std::begin(kAnswerCycle), std::end(kAnswerCycle)});
  static velk0::testing::FakeMidiDevices device({16});
  static platform::VirtualClock clock;
  static velk0::testing::MemoryFiles files;
  static velk0::testing::SilentSounds sounds;
  static velk0::testing::FakeClipboard clipboard;
  static velk0::testing::FakePrograms programs;
  static platform::Platform p{.dialogs = &dialogs,
                              .midi = &device,
                              .clock = &clock,
                              .sounds = &sounds,
                              .files = &files,
                              .clipboard = &clipboard,
                              .programs = &programs};
  platform::install(&p);
  if (size < 2) return 0;

  // The first byte chooses what to run, the second where the text splits
  // into a key signature (or modes) and the tablature.
  const unsigned what = data[0] % 8;
  const std::size_t split = std::min<std::size_t>(data[1], size - 2);
  const std::string head(reinterpret_cast<const char*>(data + 2), split);
  std::string text(reinterpret_cast<const char*>(data + 2 + split), size - 2 - split);
  dialogs.restart_at(data[1]);

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
    case 4: {
      // The clipboard holds the text (or cannot be opened), taken as a note
      // motif or a rhythmic motif.
      if (data[1] % 5 == 0)
        clipboard.text.reset();
      else
        clipboard.text = text;
      std::string name = data[1] % 2 ? "en" : "er";
      run_at_command(name, out, collected);
      break;
    }
    case 5: {
      // The text is the dictionary, handed on in pieces of every size; the
      // head is the current tablature, translated on Yes.
      files.files.clear();
      files.files["\\korvane\\notaflux.dic"] = text;
      files.piece = 1 + data[1] % 7;
      set_bounded(settings().tabcourante, head, kTextCapacity);
      run_at_command("oih", out, collected);
      if (settings().tabcourante.size() > kTextCapacity) __builtin_trap();
      break;
    }
    case 6: {
      // The text is the current material, cut at positions that the
      // transposition and the degree move.
      PlaySettings& s = settings();
      set_bounded(s.motif, text, kTextCapacity);
      s.trans = static_cast<std::int8_t>(data[1]);
      s.degre = static_cast<std::int8_t>(data[1] % 9);
      s.voix = static_cast<std::int8_t>(data[1] % 4);
      s.durees[0] = kListCapacity;
      s.accord[0] = static_cast<std::int8_t>(data[1] % 9);
      run_at_command(data[1] % 2 ? "hj" : "hja", out, collected);
      break;
    }
    default:
      play_tablature(text, "", 1, 100, collected, list);
  }
  if (list.durations[0] > static_cast<std::uint32_t>(kListCapacity)) __builtin_trap();
  if (settings().durees[0] > static_cast<std::uint32_t>(kListCapacity)) __builtin_trap();
  if (device.bad_data_bytes() != 0) __builtin_trap();  // a data byte of 128 or more
  if (settings().arma.size() > kSettingCapacity) __builtin_trap();
  if (settings().motif.size() > kTextCapacity) __builtin_trap();
  return 0;
}
