#include "tablature/material.h"

#include "core/settings.h"
#include "midi/midi_out.h"
#include "tablature/notation.h"

namespace velk0 {

void reset_settings() {
  PlaySettings& s = settings();
  // The time signature is only recorded; a reset leaves it as it is.
  const std::int32_t num = s.num, den = s.den;
  s = default_settings();
  s.num = num;
  s.den = den;
  program_change(s.instru);

  s.gamme.fill(kScaleFiller);
  s.durees.fill(kQuarterNote);
  s.durees[0] = 0;
  parse_tablature(kDefaultChordText, s.accord, s.durees);
  parse_tablature(s.tabcourante, s.gamme, s.durees);
  Durations scale_durations{};  // the durations keep the tablature's count
  parse_tablature(kMajorScaleOfC, s.gamme, scale_durations);
}

}  // namespace velk0
