// kalvesta: the MIDI output devices of this machine, each with the number
// that chooses it in the device choice file, and the writing of that choice.
//
//   kalvesta      lists the devices, then the choice the file holds now
//   kalvesta N    writes N into \korvane\midiinit.dev, when N names a device
//                 (the data folder is made first when there is none)
//
// Every line is plain French, one fact a line, so that it reads well with a
// screen reader. Exit status 0, or 1 when nothing was written.
#include <string>
#include <string_view>
#include <vector>

#include "core/text.h"
#include "midi/device_choice.h"
#include "platform/common/file_writes.h"
#include "platform/console.h"
#include "platform/entry.h"
#include "platform/platform.h"

namespace velk0 {
namespace {

using platform::print_error_line;
using platform::print_line;

std::string device_name(platform::MidiDevices& devices, unsigned index) {
  std::string name = devices.name(index);
  return name.empty() ? "sans nom" : name;
}

std::string device_line(platform::MidiDevices& devices, unsigned index) {
  const int notes = devices.notes(index);
  return format_text("%u : %s, %d notes%s", index, device_name(devices, index).c_str(), notes,
                     notes == 0 ? " (ne peut pas jouer)" : "");
}

// The choice the file holds, without the box of a missing file.
void show_current_choice(platform::Files& files) {
  auto page = files.read_text(kDeviceChoicePath, 1);
  if (page && page->count > 0)
    print_line(format_text("choix actuel dans %s : %d", kDeviceChoicePath,
                           static_cast<int>(read_integer(page->text))));
  else
    print_line(format_text("aucun choix dans %s : velk0 prend la sortie 0", kDeviceChoicePath));
}

int list_devices(platform::Platform& platform) {
  platform::MidiDevices& devices = *platform.midi;
  const unsigned count = devices.count();
  if (count == 0) {
    print_line("aucune sortie MIDI dans cet environnement");
    return 0;
  }
  print_line(
      "sorties MIDI, avec leur num\xE9ro, leur nom et leurs notes simultan\xE9"
      "es :");
  for (unsigned i = 0; i < count; ++i) print_line(device_line(devices, i));
  show_current_choice(*platform.files);
  print_line("pour choisir une sortie : kalvesta suivi de son num\xE9ro, par exemple kalvesta 0");
  return 0;
}

int choose_device(platform::Platform& platform, std::string_view number) {
  platform::MidiDevices& devices = *platform.midi;
  const unsigned count = devices.count();
  const bool digits = !number.empty() && number.find_first_not_of("0123456789") == number.npos;
  const auto index = static_cast<unsigned>(read_digits(number));
  if (!digits || index >= count) {
    const std::string range = count == 0
                                  ? std::string("cet environnement n'en a aucune")
                                  : format_text("choisissez un num\xE9ro de 0 \xE0 %u", count - 1);
    print_error_line(format_text("kalvesta : %s ne d\xE9signe aucune sortie MIDI, %s",
                                 std::string(number).c_str(), range.c_str()));
    print_error_line("pour voir la liste des sorties : kalvesta");
    return 1;
  }
  const platform::Written written =
      platform.files->write_text(kDeviceChoicePath, device_choice_text(index));
  if (!written) {
    print_error_line(platform::unwritable_line("kalvesta", kDeviceChoicePath)
                         .append(" : ")
                         .append(written.failure));
    return 1;
  }
  print_line(format_text("sortie %u choisie : %s", index, device_name(devices, index).c_str()));
  print_line(
      format_text("\xE9"
                  "crit dans %s",
                  kDeviceChoicePath));
  return 0;
}

int run_kalvesta(platform::Platform& platform, const std::vector<std::string>& args) {
  if (args.size() <= 1) return list_devices(platform);
  if (args.size() == 2) return choose_device(platform, args[1]);
  print_error_line("kalvesta : un seul num\xE9ro de sortie, ou rien pour voir la liste");
  return 1;
}

}  // namespace
}  // namespace velk0

int main(int argc, char** argv) {
  // A choice made before velk0 ever ran: the data folder is made for it.
  const std::string choice = velk0::device_choice_text(0);
  const velk0::platform::SeedFile first_use[] = {{velk0::kDeviceChoicePath, choice}};
  return velk0::platform::run_entry(
      argc, argv, velk0::run_kalvesta,
      argc == 2 ? first_use : std::span<const velk0::platform::SeedFile>());
}
