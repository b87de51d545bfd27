// The name of the keys held on a keyboard, in any voicing, and the line that
// says it.
#pragma once

#include <string>
#include <string_view>

#include "midi/held_keys.h"

namespace velk0 {

// The naming table's name for two keys or more (code page 850 bytes): the
// entry for their bass (the lowest key) and their set of pitch classes,
// whatever the octaves, order and doublings of the upper keys. So two pitch
// classes are named as the interval within the octave above the bass (c and
// a with another c above is a "sixte"), one pitch class at several octaves
// "octave"; a set no entry names is "non traité". Empty for one key or none.
std::string_view held_chord_name(const KeySet& keys);

// What is said for the keys: the name, " : ", then the keys from the bass up,
// one word each as a tablature writes notes: the bass's octave first, an
// octave mark before each key an octave higher than the key before, sharps
// for the black keys ("majeur : o4 c e g >c e"). For one key, its octave and
// note alone ("o4 c+"); for none, nothing.
std::string held_chord_line(const KeySet& keys);

}  // namespace velk0
