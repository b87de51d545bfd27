// The clipboard and the companion programs: a note motif or a rhythmic motif
// taken from the clipboard, the current information copied to it by the
// copier, and the companion programs started with their cues.
#pragma once

#include <string>
#include <string_view>

namespace velk0 {

// The current information, which the harmony commands write and the copier
// puts on the clipboard.
inline constexpr std::string_view kCurrentInformationPath = "\\korvane\\prvinfo.tab";

// Empties `buffer`, then fills it with the clipboard's text followed by a
// line end and shows it; the error cue when the clipboard cannot be opened,
// and the buffer stays empty then, as it does when it holds no text.
void read_clipboard(std::string& buffer);

void take_note_motif();    // @en
void take_rhythm_motif();  // @er
void copy_information();   // @hp
void start_quirel();       // @ste
void start_quimbol();      // @sta
void start_zentra();       // @pam

}  // namespace velk0
