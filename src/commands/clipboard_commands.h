// The clipboard and the companion programs: a note motif or a rhythmic motif
// taken from the clipboard, the current information copied to it by the
// copier, and the companion programs started with their cues.
#pragma once

#include <string>
#include <string_view>

#include "midi/run_state.h"

namespace velk0 {

// The current information, which the harmony commands write and the copier
// puts on the clipboard.
inline constexpr std::string_view kCurrentInformationPath = "\\korvane\\prvinfo.tab";

// Empties `buffer`, then fills it with the clipboard's text followed by a
// line end and shows it; the error cue when the clipboard cannot be opened,
// and the buffer stays empty then, as it does when it holds no text.
void read_clipboard(RunState& run, std::string& buffer);

void take_note_motif(RunState& run);    // @en
void take_rhythm_motif(RunState& run);  // @er
void copy_information(RunState& run);   // @hp
void start_quirel(RunState& run);       // @ste
void start_quimbol(RunState& run);      // @sta
void start_zentra(RunState& run);       // @pam

}  // namespace velk0
