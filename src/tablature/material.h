// Putting the settings and the current material back to their defaults.
#pragma once

namespace velk0 {

// Every field to its default (the time signature excepted), the program
// change for the default instrument sent, and the current material read
// back from its default texts.
void reset_settings();

}  // namespace velk0
