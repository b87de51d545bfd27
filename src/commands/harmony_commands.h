// The harmony commands: a scale, a chord type, a chord position, a cadence
// and a rhythm chosen by ear, and the current material played.
#pragma once

#include <cstdint>
#include <span>

#include "midi/run_state.h"

namespace velk0 {

// out[i] = base + scale[index + degrees[i] - 1] (0 for a position outside
// the scale), as many as `out` holds; element 0 of `out` receives the count,
// which is returned.
int build_from_degrees(std::int8_t base, int index, std::span<const std::int8_t> scale,
                       std::span<const std::int8_t> degrees, std::span<std::int8_t> out);

void choose_scale(RunState& run);           // @hg (also run by @ht)
void choose_chord_type(RunState& run);      // @ha (also run by @ht)
void choose_cadence(RunState& run);         // @hc
void choose_chord_position(RunState& run);  // @hre
void choose_rhythm(RunState& run);          // @hry
void play_current_material(RunState& run);  // @hj
void play_degree_chord(RunState& run);      // @hja

}  // namespace velk0
