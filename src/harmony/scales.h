// Scale texts of every key, and note lists written back as tablature.
#pragma once

#include <span>
#include <string>

#include "core/settings.h"

namespace velk0 {

enum class ScaleMode {
  major,
  melodic_minor,
  harmonic_minor,
  natural_minor,
  whole_tone,
  minor_blues,
  major_blues,
};

// Writes the scale text of `mode` in the settings' key; leaves `out` alone
// when the key is outside 0..11.
void scale_text(const PlaySettings& settings, ScaleMode mode, std::string& out);

// Writes the notes (element 0 = count) as tablature text spelled for the
// settings' key, from the settings' octave.
void notes_to_tablature(const PlaySettings& settings, std::span<const std::int8_t> notes,
                        std::string& out);

}  // namespace velk0
