// The sound cues the program ships. They are made here, by computation, as
// small 16-bit PCM WAV files, written into the data folder when it is made
// (see data_folder.h), and again whenever one is to be played and is missing
// or is no whole WAV file (cut short by a full disk); a WAV file the user put
// there is never replaced.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/common/std_files.h"
#include "platform/platform.h"

namespace velk0::platform {

// The cues, as the program names them: the edition cue when a command has
// done its work, the entry cue before a companion program starts, and the
// error cue when the clipboard cannot be opened. The error cue is a bare
// name, looked up in the current folder first.
inline constexpr std::string_view kEditionCue = "\\korvane\\edition.wav";
inline constexpr std::string_view kEntryCue = "\\korvane\\entrez_u.wav";
inline constexpr std::string_view kErrorCue = "erreur.wav";

// The WAV file of a shipped cue (named as above, or the data folder's copy
// of the error cue); empty for any other name.
std::string render_cue(std::string_view system_path);

// Sound cues that install the shipped cues when they are missing or damaged,
// into the data folder when it is there. A bare
// name of a shipped cue that is not in the current folder is played from the
// data folder instead.
class ShippedCues : public SoundCues {
 public:
  ShippedCues(std::unique_ptr<SoundCues> inner, PathMapper native)
      : inner_(std::move(inner)), native_(std::move(native)) {}
  CueFile play(std::string_view system_path) override;

 private:
  std::unique_ptr<SoundCues> inner_;
  PathMapper native_;
};

}  // namespace velk0::platform
