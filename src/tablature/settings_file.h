#pragma once

#include <string>

#include "midi/run_state.h"

namespace velk0 {

// The settings file the @pm command loads.
inline constexpr const char* kSettingsFilePath = "\\korvane\\notaflux.ini";

// Reads the settings file and applies every key it finds to the run's
// settings, then sends the instrument's program change; `text_out` receives
// the file's text (empty when it could not be read).
void read_settings_file(RunState& run, std::string& text_out);

}  // namespace velk0
