#include "tablature/whole_text.h"

#include "core/capacities.h"
#include "core/settings.h"
#include "midi/midi_out.h"
#include "tablature/notation.h"
#include "tablature/player.h"

namespace velk0 {
namespace {

// The longest start of `text` the reader takes whole: up to its last measure
// separator, else its last blank, else as much as the reader reads.
std::string_view next_piece(std::string_view text) {
  if (text.size() <= kTextCapacity) return text;
  const std::string_view window = text.substr(0, kTextCapacity);
  std::size_t end = window.find_last_of("|\r\n");
  if (end == std::string_view::npos) end = window.find_last_of(' ');
  return end == std::string_view::npos ? window : window.substr(0, end + 1);
}

}  // namespace

int play_whole_text(std::string_view text) {
  if (!open_midi_device_or_tell()) return 0;
  PlaySettings& s = settings();
  std::int8_t reading_octave = s.octa;
  int measures = 0;
  NoteList list;
  do {
    const std::string_view piece = next_piece(text);
    text.remove_prefix(piece.size());
    s.octa = reading_octave;  // playing moved it to the last note's octave
    measures += read_tablature(piece, Reader::kPlaying, list.notes, list.durations,
                               &list.articulations, &list.marks, nullptr);
    reading_octave = s.octa;
    play_notes("", list);
  } while (!text.empty());
  s.mesure = measures;
  close_midi_device();
  return 0;
}

}  // namespace velk0
