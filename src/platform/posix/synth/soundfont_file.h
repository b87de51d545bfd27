// How the synthesizer reads SoundFont files.
#pragma once

#include <fluidsynth.h>

namespace velk0::platform::posix {

// FluidSynth's own SoundFont loader, reading through a window of the file
// kept in memory instead of the C library's streams: loading a SoundFont
// seeks thousands of times among its records and samples, and each seek
// there is a system call. The synthesizer it is added to owns it.
fluid_sfloader_t* new_soundfont_loader(fluid_settings_t* settings);

}  // namespace velk0::platform::posix
