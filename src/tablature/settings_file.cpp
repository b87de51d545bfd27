// The settings file: keys found anywhere in its first page, applied to the
// settings record.
#include "tablature/settings_file.h"

#include <cstdint>
#include <string_view>

#include "core/settings.h"
#include "core/text.h"
#include "core/text_files.h"
#include "midi/midi_out.h"

namespace velk0 {
namespace {

// Where the value of `key` starts in `text` (right after its '='), found at
// the key's first occurrence anywhere; npos when the key is absent.
std::size_t value_start(std::string_view text, std::string_view key) {
  const std::size_t at = text.find(key);
  return at == std::string_view::npos ? at : at + key.size();
}

void text_key(std::string_view text, std::string_view key, std::string& field) {
  const std::size_t start = value_start(text, key);
  if (start == std::string_view::npos) return;
  std::string_view value = text.substr(start);
  value = value.substr(0, value.find('\n'));
  set_bounded(field, value, kSettingCapacity);
}

// Returns whether the key was there.
template <typename Field>
bool number_key(std::string_view text, std::string_view key, Field& field) {
  const std::size_t start = value_start(text, key);
  if (start == std::string_view::npos) return false;
  field = static_cast<Field>(read_integer(text.substr(start)));
  return true;
}

}  // namespace

void read_settings_file(RunState& run, std::string& text_out) {
  text_out.clear();
  std::string text;
  bool opened = false;
  read_text_file(run.platform, text, 1, kSettingsFilePath, &opened);
  if (!opened) return;  // the reader has told the user; nothing changes

  PlaySettings& s = run.settings;
  text_key(text, "arma=", s.arma);
  text_key(text, "fictab=", s.fictab);
  text_key(text, "indi=", s.indi);
  number_key(text, "canal=", s.canal);
  number_key(text, "dur=", s.dur);
  number_key(text, "octa=", s.octa);
  number_key(text, "trans=", s.trans);
  number_key(text, "tempo=", s.tempo);
  if (number_key(text, "mesuredeb=", s.mesuredeb) && s.mesuredeb <= 0) s.mesuredeb = 1;
  if (number_key(text, "mesurefin=", s.mesurefin) && s.mesurefin == 0) s.mesurefin = 1;
  number_key(text, "mesure=", s.mesure);
  if (number_key(text, "vol=", s.vol) && (s.vol > 127 || s.vol < 0)) s.vol = default_settings().vol;
  number_key(text, "instru=", s.instru);
  number_key(text, "num=", s.num);
  number_key(text, "den=", s.den);

  text_out = text;
  program_change(run, s.instru & 0xFF);
}

}  // namespace velk0
