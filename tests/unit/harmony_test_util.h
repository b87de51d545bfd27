// Helpers shared by the chord tests.
#pragma once

#include <initializer_list>

#include "harmony/chord.h"

namespace velk0::testing {

// A chord holding these notes, its count in element 0.
inline Chord chord_of(std::initializer_list<int> notes) {
  Chord chord{};
  chord[0] = static_cast<std::int8_t>(notes.size());
  int i = 1;
  for (int n : notes) chord[i++] = static_cast<std::int8_t>(n);
  return chord;
}

}  // namespace velk0::testing
