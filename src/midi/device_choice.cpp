#include "midi/device_choice.h"

#include <string>

#include "core/messages.h"
#include "core/text.h"
#include "core/text_files.h"

namespace velk0 {
namespace {

constexpr const char* kHowToChoose =
    "pour choisir un midi mapper disponible dans votre environnement, utilisez la commande "
    "kalvesta, puis placez la valeur d'un midi mapper dans un fichier midiinit.dev, dans la "
    "rubrique courante";

}  // namespace

std::string device_choice_text(unsigned index) { return format_text("%u\n", index); }

void read_device_choice(RunState& run) {
  std::string text;
  if (read_text_file(run.platform, text, 1, kDeviceChoicePath) > 0) {
    run.loop.device_index = read_integer(text);
    return;
  }
  show_info(run.dialogs(), kHowToChoose, "");
  run.loop.device_index = 0;
}

}  // namespace velk0
