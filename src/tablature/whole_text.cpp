#include "tablature/whole_text.h"

#include <memory>
#include <utility>

#include "core/settings.h"
#include "midi/midi_out.h"
#include "tablature/notation.h"
#include "tablature/player.h"

namespace velk0 {
namespace {

// Plays each list as the reader hands it on. Playing moves the octave to
// the last note's, which the reading must not see: it gets its own back,
// until the last list, after which the octave is where playing left it, as
// after a short text.
class ListPlayer : public NoteSink {
 public:
  explicit ListPlayer(RunState& run) : run_(run) {}
  void take(NoteList& list, bool last) override {
    PlaySettings& s = run_.settings;
    const std::int8_t reading_octave = s.octa;
    play_notes(run_, "", list, &group_);
    if (last)
      end_group(run_, group_);
    else
      s.octa = reading_octave;
  }

 private:
  RunState& run_;
  OpenGroup group_;
};

}  // namespace

void play_whole_text(RunState& run, std::string text) {
  if (!open_midi_device_or_tell(run)) return;
  auto list = std::make_unique<NoteList>();
  ListPlayer player(run);
  run.settings.mesure = read_whole_tablature(run, std::move(text), *list, player);
  close_midi_device(run);
}

}  // namespace velk0
