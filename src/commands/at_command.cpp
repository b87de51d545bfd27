#include "commands/at_command.h"

#include "core/messages.h"

namespace velk0 {

void run_at_command(std::string_view name, std::string&, std::string&) {
  // No interactive command is known yet: every name is answered with the
  // lists of commands.
  show_info(name, "la commande @ n'existe pas");
  show_info("@p suivi de b d i m t v ou vo", "liste des commandes pour choisir un parametre");
  show_info("@h suivi de a c g r rep", "liste des commande pour l'harmonie");
}

}  // namespace velk0
