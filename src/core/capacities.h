// The fixed sizes of the program's texts and lists. They are behaviour: a
// tablature typed as an argument holds 511 characters, a note list 2047
// notes. Every text is a std::string cut to its capacity, never overrun.
#pragma once

#include <cstddef>

namespace velk0 {

constexpr std::size_t kArgumentCapacity = 2047;   // one command-line argument
constexpr std::size_t kTablatureCapacity = 511;   // a tablature handed to the player
constexpr std::size_t kSymbolCapacity = 11;       // command symbols and number texts
constexpr std::size_t kAtNameLength = 4;          // characters of an @ name that reach the table
constexpr std::size_t kSettingCapacity = 79;      // arma, fictab, indi
constexpr std::size_t kTextCapacity = 2047;       // current texts, pages, clipboard text
constexpr std::size_t kIndicationCapacity = 255;  // the text of one indication
constexpr std::size_t kSignatureCapacity = 511;   // a key signature plus a measure's accidentals
constexpr std::size_t kListSize = 2048;           // note lists: element 0 holds the count
constexpr int kListCapacity = 2047;               // notes a list holds
constexpr int kCommandLineNotes = 100;  // notes of a tablature played from the command line

}  // namespace velk0
