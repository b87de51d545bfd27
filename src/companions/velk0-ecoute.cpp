// velk0-ecoute: listens to a MIDI keyboard, plays what it hears on the
// output velk0 plays on, and names each chord the hands hold once the keys
// have settled.
//
//   velk0-ecoute      lists the MIDI inputs, then listens to the first
//   velk0-ecoute N    listens to input N
//
// Every note-on, note-off, program change and controller goes at once to the
// output that \korvane\midiinit.dev chooses (kalvesta writes it; the
// embedded synthesizer when it says 0 or is missing), on the channel it came
// in on. Each name is a plain French line; with no terminal, it is also shown
// on the desktop. q or Escape in the terminal, Ctrl-C or a termination
// request ends the listening, and whatever it let sound is silenced: pedals
// lifted, keys let go. Exit status 0 once it listened, 1 when it could not.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "harmony/chord_listener.h"
#include "midi/device_choice.h"
#include "platform/console.h"
#include "platform/entry.h"
#include "platform/platform.h"

namespace velk0 {
namespace {

using platform::Awoken;
using platform::MidiKind;
using platform::MidiMessage;
using platform::print_error_line;
using platform::print_line;

std::string input_name(platform::MidiInputs& inputs, unsigned index) {
  std::string name = inputs.name(index);
  return name.empty() ? "sans nom" : name;
}

// What the thru plays: the messages of the keys, the pedals and the sounds.
bool passes_thru(MidiMessage message) {
  switch (message.kind()) {
    case MidiKind::note_on:
    case MidiKind::note_off:
    case MidiKind::program_change:
    case MidiKind::control_change:
      return true;
    default:
      return false;
  }
}

// Hears the keyboard: plays it through, and says the names that settle.
class Listening : public platform::MidiSink {
 public:
  Listening(platform::Platform& platform, std::string input)
      : platform_(platform), input_(std::move(input)) {}

  void received(MidiMessage message, std::uint64_t ms) override {
    if (passes_thru(message)) platform_.midi->send(message);
    say(chords_.take(message, ms));
  }
  // What the keyboard held is let go at once: it will not say so itself.
  void port_lost() override {
    silence();
    chords_ = ChordListener();
    say(
        format_text("clavier d\xE9"
                    "branch\xE9 : %s ; velk0-ecoute attend qu'il revienne (q ou \xC9"
                    "chap pour finir)",
                    input_.c_str()));
  }
  void port_back() override { say(format_text("clavier rebranch\xE9 : %s", input_.c_str())); }

  std::optional<std::uint64_t> settles_at() const { return chords_.settles_at(); }
  void name_due(std::uint64_t now_ms) { say(chords_.line_due(now_ms)); }
  // Lifts the pedals and lets go of the keys the keyboard left down.
  void silence() {
    for (MidiMessage message : chords_.keys().silencing()) platform_.midi->send(message);
  }

 private:
  void say(const std::optional<std::string>& line) {
    if (!line) return;
    print_line(*line);
    if (platform_.notices) platform_.notices->show(*line);
  }

  platform::Platform& platform_;
  std::string input_;
  ChordListener chords_;
};

// Lists the inputs; false when there is none.
bool list_inputs(platform::MidiInputs& inputs, unsigned count) {
  if (count == 0) {
    print_line(
        "aucune entr\xE9"
        "e MIDI dans cet environnement : branchez un clavier, puis relancez velk0-ecoute");
    return false;
  }
  print_line(
      "entr\xE9"
      "es MIDI, avec leur num\xE9ro et leur nom :");
  for (unsigned i = 0; i < count; ++i)
    print_line(format_text("%u : %s", i, input_name(inputs, i).c_str()));
  return true;
}

// The input the argument names; nothing, after the lines that say why, when
// it names none.
std::optional<unsigned> chosen_input(std::string_view number, unsigned count) {
  const bool digits = !number.empty() && number.find_first_not_of("0123456789") == number.npos;
  const auto index = static_cast<unsigned>(read_digits(number));
  if (digits && index < count) return index;
  const std::string range = count == 0
                                ? std::string("cet environnement n'en a aucune")
                                : format_text("choisissez un num\xE9ro de 0 \xE0 %u", count - 1);
  print_error_line(
      format_text("velk0-ecoute : %s ne d\xE9signe aucune entr\xE9"
                  "e MIDI, %s",
                  std::string(number).c_str(), range.c_str()));
  print_error_line(
      "pour voir la liste des entr\xE9"
      "es : velk0-ecoute, sans rien apr\xE8s");
  return std::nullopt;
}

// Opens the output kalvesta chose, or the synthesizer when that one cannot
// open; the number of the output open, nothing when none could.
std::optional<unsigned> open_output(platform::Platform& platform) {
  unsigned output = 0;
  auto page = platform.files->read_text(kDeviceChoicePath, 1);
  if (page && page->count > 0 && read_integer(page->text) > 0)
    output = static_cast<unsigned>(read_integer(page->text));
  if (platform.midi->open(output)) return output;
  if (output != 0) {
    print_error_line(
        format_text("velk0-ecoute : la sortie %u (%s) ne s'ouvre pas, le "
                    "synth\xE9tiseur int\xE9gr\xE9 joue \xE0 sa place",
                    output, kDeviceChoicePath));
    if (platform.midi->open(0)) return 0u;
  }
  print_error_line(
      "velk0-ecoute : aucune sortie ne peut jouer, les accords sont seulement nomm\xE9s");
  return std::nullopt;
}

// Listens until the user asks to end.
void listen(platform::Platform& platform, Listening& listening) {
  for (;;) {
    const std::optional<std::uint64_t> due = listening.settles_at();
    const Awoken awoken = platform.midi_in->wait(due);
    if (awoken == Awoken::quit) return;
    // A clock late to wake is caught up with: the name is the one of the time asked for.
    if (awoken == Awoken::due && due) listening.name_due(std::max(platform.clock->now_ms(), *due));
  }
}

int run_listener(platform::Platform& platform, const std::vector<std::string>& args) {
  if (args.size() > 2) {
    print_error_line(
        "velk0-ecoute : un seul num\xE9ro d'entr\xE9"
        "e, ou rien pour \xE9"
        "couter la premi\xE8re");
    return 1;
  }
  platform::MidiInputs& inputs = *platform.midi_in;
  const unsigned count = inputs.count();
  std::optional<unsigned> index = 0u;
  if (args.size() == 1 && !list_inputs(inputs, count)) return 1;
  if (args.size() == 2) index = chosen_input(args[1], count);
  if (!index) return 1;

  const std::string name = input_name(inputs, *index);
  const std::optional<unsigned> output = open_output(platform);
  Listening listening(platform, name);
  if (!inputs.open(*index, listening)) {
    print_error_line(
        format_text("velk0-ecoute : impossible d'\xE9"
                    "couter l'entr\xE9"
                    "e %u (%s)",
                    *index, name.c_str()));
    return 1;
  }
  const std::string played = output ? format_text(
                                          "jou\xE9"
                                          "e sur la sortie %u (%s)",
                                          *output, platform.midi->name(*output).c_str())
                                    : std::string("sans son");
  print_line(
      format_text("\xE9"
                  "coute de l'entr\xE9"
                  "e %u (%s), %s ; q ou \xC9"
                  "chap pour finir",
                  *index, name.c_str(), played.c_str()));
  // A stop asked for (a signal) ends the run here, and the platform's note
  // guard lets go of the pedals and the notes on the way out.
  listen(platform, listening);
  inputs.close();
  listening.silence();
  platform.midi->close();
  print_line(
      "fin de l'\xE9"
      "coute");
  return 0;
}

}  // namespace
}  // namespace velk0

int main(int argc, char** argv) {
  return velk0::platform::run_entry(argc, argv, velk0::run_listener);
}
