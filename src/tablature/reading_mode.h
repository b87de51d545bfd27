// The current tablature played by the reading options: whole, measure by
// measure with a box before each measure, or step by step through the
// player's announcements; on the device the device choice file names.
#pragma once

#include <cstdint>
#include <string_view>

#include "midi/run_state.h"

namespace velk0 {

// Entry k, 0 for a k outside the table.
std::int32_t measure_end_at(const MeasureEnds& ends, long long k);

// Reads `text` as the player would, changing no setting and sending nothing,
// and fills the run's measure ends with where its measures end. A measure after the
// last separator counts only when it holds notes. Returns the count of notes.
std::int32_t fill_measure_ends(RunState& run, std::string_view text);

// Reads the device choice file, opens the device and plays tabcourante as
// indi says: empty whole (from mesuredeb to mesurefin), one blank measure by
// measure (the dialogue moves mesuredeb), anything else step by step with
// indi as the announcements (a step is a measure when indi holds m, else a
// note). Each measure or step is read from the settings the tablature
// started with (octave, note value, transposition...). The device stays open.
void play_by_reading_mode(RunState& run);

}  // namespace velk0
