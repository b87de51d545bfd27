#include "tablature/settings.h"

#include "midi/midi_out.h"
#include "tablature/notation.h"

namespace velk0 {

PlaySettings& settings() {
  static PlaySettings record;
  return record;
}

void set_bounded(std::string& field, std::string_view value, std::size_t capacity) {
  field.assign(value.substr(0, capacity));
}

void reset_settings() {
  PlaySettings& s = settings();
  s.canal = 1;
  s.vol = 127;
  s.instru = 0;
  program_change(0);

  s.dur = 4;
  s.trans = 0;
  s.repet = 0;
  s.ton = 0;
  s.degre = 1;
  s.tempo = 60;
  s.octa = 3;
  s.voix = 0;
  s.mesuredeb = 1;
  s.mesurefin = 1000;
  s.mesure = 1000;
  s.arma.clear();
  s.fictab = "\\korvane\\prv.tab";
  s.indi.clear();

  s.gamme.fill(36);
  s.durees.fill(4000);
  s.durees[0] = 0;
  s.motif.clear();

  parse_tablature("o3 c e g", s.accord, s.durees);
  s.tabcourante = "o3 c d e f g a b >c\n";
  parse_tablature(s.tabcourante, s.gamme, s.durees);
}

}  // namespace velk0
