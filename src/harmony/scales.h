// Scale texts of every key, and note lists written back as tablature.
#pragma once

#include <span>
#include <string>
#include <string_view>

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

// The scale texts give each note a place of two characters after "o3 ": the
// letter and its accidental, or a blank; an octave mark takes the blank of
// the place before or after it. Where a flat and a sharp meet the octave
// (D harmonic minor: "b-> c+"), the mark and a blank make a place of their
// own, which holds no note. Writes the `count` note places from note place
// `first` (from 1) of `text`: such a mark's place is passed over before the
// first and kept inside the cut. A text without one is cut at characters
// 2 * first + 2 to 2 * (first + count) + 1, whatever its layout.
void cut_note_places(std::string_view text, int first, int count, std::string& out);

// Writes the notes (element 0 = count) as tablature text spelled for the
// settings' key, from the settings' octave.
void notes_to_tablature(const PlaySettings& settings, std::span<const std::int8_t> notes,
                        std::string& out);

}  // namespace velk0
