// The @ command table: each name with its handler, in the order in which
// they are compared.
#include "commands/at_command.h"

#include <array>

#include "commands/clipboard_commands.h"
#include "commands/dialogue.h"
#include "commands/harmony_commands.h"
#include "commands/parameter_commands.h"
#include "commands/reading_commands.h"
#include "core/messages.h"
#include "core/text.h"

namespace velk0 {
namespace {

struct AtCommand {
  std::string_view name;
  void (*handler)(RunState& run);
};

constexpr std::array<AtCommand, 38> kCommands = {{
    {"en", take_note_motif},
    {"er", take_rhythm_motif},
    {"ste", start_quirel},
    {"sta", start_quimbol},
    {"pd", restore_defaults},
    {"pm", load_settings_file},
    {"pt", choose_tempo},
    {"pi", choose_instrument},
    {"pvl", choose_volume},
    {"pvo", choose_voice},
    {"ptr", step_transposition},
    {"pb", step_instrument},
    {"hj", play_current_material},
    {"ht", step_key},
    {"hd", step_degree},
    {"hg", choose_scale},
    {"ha", choose_chord_type},
    {"hc", choose_cadence},
    {"hre", choose_chord_position},
    // The repetition stepper, the one four-letter name (the help box lists
    // it as "rep" among the @h commands).
    {"hrep", step_repetitions},
    {"hry", choose_rhythm},
    {"hp", copy_information},
    {"hja", play_degree_chord},
    {"ojt", play_tablature_file},
    {"ojp", play_clipboard},
    {"ojm", play_measure_by_measure},
    {"op", previous_measure},
    {"os", next_measure},
    {"oia", read_key_signature},
    {"oic", read_advice},
    {"oid", read_fingerings},
    {"oih", read_harmony},
    {"oim", read_measures},
    {"oin", read_notes},
    {"oip", read_lyrics},
    {"pat", edition_cue},  // nothing to do but say it is done
    {"pac", edition_cue},
    {"pam", start_zentra},
}};

}  // namespace

void run_at_command(RunState& run, std::string_view name) {
  const std::string wanted = lower_ascii(name);
  for (const AtCommand& command : kCommands) {
    if (command.name == wanted) {
      command.handler(run);
      return;
    }
  }
  show_info(run.dialogs(), name, "la commande @ n'existe pas");
  show_info(run.dialogs(), "@p suivi de b d i m t v ou vo",
            "liste des commandes pour choisir un parametre");
  show_info(run.dialogs(), "@h suivi de a c g r rep", "liste des commande pour l'harmonie");
}

}  // namespace velk0
