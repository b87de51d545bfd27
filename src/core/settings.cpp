#include "core/settings.h"

namespace velk0 {

const PlaySettings& default_settings() {
  static const PlaySettings defaults;
  return defaults;
}

void reset_device_fields(PlaySettings& s) {
  const PlaySettings& d = default_settings();
  s.canal = d.canal;
  s.vol = d.vol;
  s.instru = d.instru;
  s.dur = d.dur;
  s.trans = d.trans;
  s.tempo = d.tempo;
  s.octa = d.octa;
  s.mesure = 0;  // nothing has been played on the new device yet
  s.arma = d.arma;
}

void set_bounded(std::string& field, std::string_view value, std::size_t capacity) {
  field.assign(value.substr(0, capacity));
}

void append_bounded(std::string& text, std::string_view more, std::size_t capacity) {
  if (text.size() >= capacity) return;
  text.append(more.substr(0, capacity - text.size()));
}

}  // namespace velk0
