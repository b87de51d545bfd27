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
#include "platform/doubles/virtual_clock.h"
#include "platform/platform.h"
#include "tablature/notation.h"
#include "tablature/player.h"
#include "test_doubles.h"

namespace {

using namespace velk0;
using velk0::testing::CycleDialogs;

constexpr int kAnswerCycle[] = {platform::kAnswerYes, platform::kAnswerYes, platform::kAnswerNo,
                                platform::kAnswerCancel};

// The doubles one input runs on: every input has services of its own.
struct Services {
  CycleDialogs dialogs{{std::begin(kAnswerCycle), std::end(kAnswerCycle)}};
  velk0::testing::FakeMidiDevices device{{16}};
  platform::VirtualClock clock;
  velk0::testing::MemoryFiles files;
  velk0::testing::SilentSounds sounds;
  velk0::testing::FakeClipboard clipboard;
  velk0::testing::FakePrograms programs;
  platform::Platform platform{.dialogs = &dialogs,
                              .midi = &device,
                              .clock = &clock,
                              .sounds = &sounds,
                              .files = &files,
                              .clipboard = &clipboard,
                              .programs = &programs};
};

// What the input runs: `what` chooses, `head` is the key signature (or the
// modes), `text` the tablature, `shift` moves positions and answers.
struct Input {
  unsigned what;
  unsigned shift;
  std::string head, text;
};

// The commands that read the clipboard, the dictionary and the current
// material.
void run_command(Services& services, RunState& run, Input& in) {
  PlaySettings& s = run.settings;
  if (in.what == 4) {
    // The clipboard holds the text (or cannot be opened), taken as a note
    // motif or a rhythmic motif.
    if (in.shift % 5 == 0)
      services.clipboard.text.reset();
    else
      services.clipboard.text = in.text;
    run_at_command(run, in.shift % 2 ? "en" : "er");
  } else if (in.what == 5) {
    // The text is the dictionary, handed on in pieces of every size; the
    // head is the current tablature, translated on Yes.
    services.files.files["\\korvane\\notaflux.dic"] = in.text;
    services.files.piece = 1 + in.shift % 7;
    set_bounded(s.tabcourante, in.head, kTextCapacity);
    run_at_command(run, "oih");
    if (s.tabcourante.size() > kTextCapacity) __builtin_trap();
  } else {
    // The text is the current material, cut at positions that the
    // transposition and the degree move.
    set_bounded(s.motif, in.text, kTextCapacity);
    s.trans = static_cast<std::int8_t>(in.shift);
    s.degre = static_cast<std::int8_t>(in.shift % 9);
    s.voix = static_cast<std::int8_t>(in.shift % 4);
    s.durees[0] = kListCapacity;
    s.accord[0] = static_cast<std::int8_t>(in.shift % 9);
    run_at_command(run, in.shift % 2 ? "hj" : "hja");
  }
}

// The readers, the key-signature rewrite, the player and the musical
// commands.
void run_reader(RunState& run, Input& in, NoteList& list) {
  PlaySettings& s = run.settings;
  std::string out, collected;
  const int shift = static_cast<int>(in.shift);
  if (in.what == 0) {
    parse_tablature(run, in.text, list.notes, list.durations);
  } else if (in.what == 1) {
    apply_key_signature(s, in.text, out);
    if (out.size() > kTextCapacity + 1) __builtin_trap();
  } else if (in.what == 2) {
    s.arma.clear();
    play_tablature(run, in.text, in.head, shift % 7 - 2, shift % 13, collected, list);
  } else if (in.what == 3) {
    musical_command(run, in.head.substr(0, 1), in.head.size() > 1 ? in.head.substr(1) : "", in.text,
                    out);
  } else {
    play_tablature(run, in.text, "", 1, 100, collected, list);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  Services services;
  RunState run(services.platform);
  PlaySettings& s = run.settings;

  // The first byte chooses what to run, the second where the text splits
  // into a key signature (or modes) and the tablature.
  const std::size_t split = std::min<std::size_t>(data[1], size - 2);
  Input in{data[0] % 8u, data[1], std::string(reinterpret_cast<const char*>(data + 2), split),
           std::string(reinterpret_cast<const char*>(data + 2 + split), size - 2 - split)};
  services.dialogs.restart_at(data[1]);

  set_bounded(s.arma, in.head, kSettingCapacity);
  NoteList list;
  if (in.what >= 4 && in.what <= 6)
    run_command(services, run, in);
  else
    run_reader(run, in, list);
  if (list.durations[0] > static_cast<std::uint32_t>(kListCapacity)) __builtin_trap();
  if (s.durees[0] > static_cast<std::uint32_t>(kListCapacity)) __builtin_trap();
  if (services.device.bad_data_bytes() != 0) __builtin_trap();  // a data byte of 128 or more
  if (s.arma.size() > kSettingCapacity) __builtin_trap();
  if (s.motif.size() > kTextCapacity) __builtin_trap();
  return 0;
}
