// The naming table as data: one line per degree row, bass first, then the
// patterns that give it. Names are code page 850 bytes (0x82 e acute, 0x8A e
// grave); their spellings, blanks included, are the ones the program shows.
#include "harmony/naming_table.h"

namespace velk0::naming {
namespace {

// clang-format off
// Intervals.
const DegreeLine kTwoNotes[] = {
  {{1, 2}, {{"1 ", "seconde b\x82mol"}, {"2 ", "seconde"}}},
  {{1, 3}, {{"3 ", "tierce mineure"}, {"4 ", "tierce majeure"}}},
  {{1, 4}, {{"5 ", "quarte"}}},
  {{1, 5}, {{"6 ", "quinte diminu\x82" "e"}, {"7 ", "quinte"}, {"8 ", "quinte augment\x82" "e"}}},
  {{1, 6}, {{"9 ", "sixte"}}},
  {{1, 7}, {{"10 ", "septi\x8Ame"}, {"11 ", "septi\x8Ame majeure"}}},
  {{1, 8}, {{"12 ", "octave"}}},
  {{1, 9}, {{"13 ", "neuvi\x8Ame b\x82mol"}, {"14 ", "neuvi\x8Ame"}, {"15 ", "neuvi\x8Ame di\x8Ase"}}},
  {{1, 11}, {{"16 ", "onzi\x8Ame b\x82mol"}, {"17 ", "onzi\x8Ame"}, {"18 ", "onzi\x8Ame di\x8Ase"}}},
  {{1, 5}, {{"19 ", "douzi\x8Ame"}}},
  {{1, 13}, {{"20 ", "treizi\x8Ame b\x82mol"}, {"21 ", "treizi\x8Ame"}, {"22 ", "treizi\x8Ame di\x8Ase"}}},
};

// Three notes.
const DegreeLine kThreeNotes[] = {
  {{1, 3, 5}, {{"4 2 ", "quinte b\x82mol"}, {"3 3 ", "diminu\x82"}, {"4 4 ", "quinte augment\x82"}, {"3 4 ", "mineur"}, {"4 3 ", "majeur"}}},
  {{1, 5, 7}, {{"6 3 ", "-3 septi\x8Ame diminu\x82" "e"}, {"7 3 ", "-3majeur 7"}}},
  {{1, 3, 7}, {{"3 6 ", "-5 septi\x8Ame diminu\x82" "e"}, {"3 7 ", "-5mineur 7"}, {"4 6 ", "-5majeur 7"}, {"3 8 ", "-5mineur 7 majeure"}, {"4 7 ", "-5majeur 7 majeure"}}},
  {{1, 5, 3}, {{"6 9 ", "diminu\x82"}, {"7 9 ", "majeur"}, {"7 8 ", "mineur"}}},
  {{3, 5, 1}, {{"4 5 ", "3/mineur"}, {"3 5 ", "3/majeur"}}},
  {{5, 1, 3}, {{"5 3 ", "5/mineur"}, {"5 4 ", "5/majeur"}}},
  {{3, 1, 5}, {{"8 7 ", "3/ majeur"}, {"9 7 ", "3/ mineur"}}},
  {{5, 3, 1}, {{"9 8 ", "5/ majeur"}, {"8 9 ", "5/ mineur"}}},
  {{1, 4, 5}, {{"5 2 ", "4"}}},
  {{4, 5, 1}, {{"2 5 ", "4/majeur 4"}}},
  {{5, 1, 4}, {{"5 5 ", "5/majeur 4"}}},
  {{7, 1, 3}, {{"2 4 ", "7/-5majeur 7"}, {"2 3 ", "7/-5mineur 7"}, {"1 4 ", "7/-5 majeur 7 majeure"}, {"1 3 ", "7/-5 mineur 7 majeur"}}},
  {{7, 1, 5}, {{"2 7 ", "7/-3 majeur 7"}, {"1 7 ", "7/-3 majeur 7 majeure"}}},
  {{5, 7, 1}, {{"3 2 ", "5/-3 majeur 7"}, {"4 1 ", "5/-3 majeur 7 majeure"}}},
};

// Four notes.
const DegreeLine kFourNotes[] = {
  {{1, 3, 5, 7}, {{"3 3 3 ", "7 diminu\x82"}, {"4 3 3 ", "7"}, {"4 3 4 ", "7 majeure"}, {"3 4 3 ", "mineur 7"}, {"3 4 4 ", "mineur 7 majeure"}, {"3 3 4 ", "mineur 7 quinte b\x82mol"}, {"4 2 4 ", "majeur 7 quinte b\x82mol"}}},
  {{1, 5, 7, 3}, {{"6 3 6 ", "7 diminu\x82" "e"}, {"7 3 6 ", "7"}, {"7 4 5 ", "7 majeure"}, {"6 4 6 ", "majeur 7 quinte b\x82mol"}, {"6 4 5 ", "mineur 7 quinte b\x82mol"}}},
  {{1, 5, 6, 8}, {{"7 3 3 ", "5/-3 majeur 6 quinte b\x82mol"}}},
  {{1, 3, 5, 8}, {{"3 4 5 ", "mineur"}, {"4 3 5 ", "majeur"}}},
  {{1, 7, 3, 5}, {{"10 6 3 ", "majeur 7"}, {"10 5 4 ", "mineur 7"}, {"11 5 3 ", "majeur 7 majeur"}, {"11 4 4 ", "mineur 7 majeure"}, {"10 6 2 ", "majeur 7 quinte b\x82mol"}, {"10 5 3 ", "mineur 7 quinte b\x82mol"}}},
  {{1, 3, 6, 8}, {{"4 5 3 ", "6"}, {"3 6 3 ", "mineur 6"}}},
  {{1, 3, 6, 9}, {{"4 5 5 ", "6 9"}}},
  {{1, 5, 7, 9}, {{"7 3 4 ", "-3 majeur 9"}}},
  {{1, 3, 7, 9}, {{"4 6 4 ", "-5 majeur 9"}, {"3 7 4 ", "-5 mineur 9"}}},
  {{1, 3, 5, 9}, {{"4 3 7 ", "-7 majeur 9"}, {"3 4 7 ", "-7 mineur 9"}}},
  {{1, 5, 7, 11}, {{"7 3 7 ", "-3 majeur 11"}}},
  {{1, 5, 7, 13}, {{"7 3 11 ", "-3 majeur 13"}}},
  {{1, 3, 7, 11}, {{"4 6 7 ", "-5 majeur 11"}, {"3 7 7 ", "-5 mineur 11"}}},
  {{1, 3, 7, 13}, {{"4 6 11 ", "-5 majeur 13"}, {"3 7 11 ", "-5 mineur 13"}}},
  {{1, 5, 8, 3}, {{"7 5 4 ", "majeur"}}},
  {{3, 5, 1, 10}, {{"3 5 4 ", "3/majeur"}}},
  {{3, 5, 7, 1}, {{"3 3 2 ", "3/ majeur 7"}, {"4 3 2 ", "3/mineur 7"}, {"3 4 1 ", "3/ majeur 7 majeure"}, {"2 4 2 ", "3/ majeur 7 quinte b\x82mol"}, {"4 4 1 ", "3/mineur 7 majeure"}, {"3 4 2 ", "3/mineur 7 quinte b\x82mol"}}},
  {{3, 6, 1, 9}, {{"5 3 2 ", "3/6 9"}, {"6 3 2 ", "3/mineur 6 9"}}},
  {{5, 1, 3, 5}, {{"5 4 3 ", "5/majeur"}, {"5 3 4 ", "5/mineur"}}},
  {{5, 7, 1, 3}, {{"3 2 4 ", "5/majeur 7"}, {"3 2 3 ", "5/mineur 7"}, {"4 1 4 ", "5/ majeur 7 majeure"}, {"4 1 3 ", "5/mineur 7 majeure"}, {"4 2 3 ", "5/mineur 7 quinte b\x82mol"}}},
  {{7, 1, 3, 5}, {{"2 4 3 ", "7/ majeur 7"}, {"2 3 4 ", "7/mineur 7"}, {"1 4 3 ", "7/ majeur 7 majeure"}, {"1 3 4 ", "7/mineur 7 majeure"}, {"2 3 3 ", "7/mineur 7 quinte b\x82mol"}}},
  {{7, 3, 5, 1}, {{"5 3 6 ", "7/ mineur 7 quinte b\x82mol"}}},
};

// Five notes.
const DegreeLine kFiveNotes[] = {
  {{1, 3, 6, 9, 5}, {{"4 5 5 5 ", "6 9"}}},
  {{1, 3, 5, 7, 9}, {{"4 3 3 4 ", "9"}, {"3 4 3 4 ", "mineur 9"}, {"4 3 3 3 ", "9 b\x82mol"}, {"3 4 3 3 ", "mineur 9 b\x82mol"}}},
  {{1, 3, 5, 7, 11}, {{"4 3 3 7 ", "11"}, {"4 3 3 8 ", "11 di\x8Ase"}, {"3 4 3 7 ", "mineur 11"}, {"3 4 3 6 ", "mineur 11 b\x82mol"}, {"3 4 3 8 ", "mineur 11 di\x8Ase"}}},
  {{1, 3, 5, 7, 13}, {{"4 3 3 11 ", "13"}, {"4 3 3 10 ", "13 b\x82mol"}, {"4 3 3 12 ", "13 di\x8Ase"}, {"3 4 3 11 ", "mineur 13"}, {"3 4 3 10 ", "mineur 13 b\x82mol"}, {"3 4 3 12 ", "mineur 13 di\x8Ase"}}},
  {{1, 9, 3, 5, 7}, {{"2 2 3 3 ", "majeur 9"}, {"3 1 3 3 ", "majeur 9 di\x8Ase"}, {"1 3 3 3 ", "majeur 9 b\x82mol"}, {"2 1 4 3 ", "mineur 9"}, {"1 2 4 3 ", "mineur 9 bemol"}}},
  {{1, 3, 11, 5, 7}, {{"4 1 2 3 ", "majeur 11"}, {"4 2 1 3 ", "majeur 11 di\x8Ase"}, {"3 2 2 3 ", "mineur 11"}, {"3 3 1 3 ", "mineur 11 di\x8Ase"}}},
  {{1, 3, 5, 13, 7}, {{"4 3 2 1 ", "majeur 13"}, {"4 3 1 2 ", "majeur 13 b\x82mol"}, {"3 4 2 1 ", "mineur 13"}, {"3 4 1 2 ", "mineur 13 b\x82mol"}}},
  {{3, 5, 7, 1, 10}, {{"3 3 2 4 ", "3/ majeur 7"}, {"4 3 2 3 ", "3/ mineur 7"}, {"3 4 1 4 ", "3/ majeur 7 majeure"}, {"4 4 1 3 ", "3/ mineur 7 majeure"}, {"3 4 2 3 ", "3/ mineur 7 quinte b\x82mol"}, {"4 2 2 4 ", "3/ majeur 7 quinte augment\x82" "e"}, {"2 4 2 4 ", "3/ majeur 7 quinte b\x82mol"}}},
  {{3, 5, 7, 1, 9}, {{"3 3 2 2 ", "3/ majeur 9"}, {"3 3 2 1 ", "3/ majeur 9 b\x82mol"}, {"3 3 2 3 ", "3/ majeur 9 di\x8Ase"}, {"4 3 2 2 ", "3/ mineur 9"}}},
  {{3, 5, 7, 1, 11}, {{"3 3 2 5 ", "3/ majeur 11"}, {"3 3 2 6 ", "3/ majeur 11 di\x8Ase"}, {"4 3 2 5 ", "3/ mineur 11"}, {"4 3 2 4 ", "3/ mineur 11 b\x82mol"}}},
  {{3, 5, 7, 1, 13}, {{"3 3 2 9 ", "3/ majeur 13"}, {"3 3 2 8 ", "3/ majeur 13 b\x82mol"}, {"4 3 2 9 ", "3/ mineur 13"}, {"4 3 2 8 ", "3/ mineur 13 b\x82mol"}}},
  {{5, 7, 1, 9, 3}, {{"3 2 2 2 ", "5/ majeur 9"}, {"3 2 3 1 ", "5/ majeur 9 di\x8Ase"}, {"3 2 1 3 ", "5/ majeur 9 b\x82mol"}, {"3 2 2 1 ", "5/ mineur 9"}, {"3 2 1 2 ", "5/ mineur 9 b\x82mol"}}},
  {{5, 7, 1, 3, 11}, {{"3 2 4 1 ", "5/ majeur 11"}, {"3 2 4 2 ", "5/ majeur 11 di\x8Ase"}, {"3 2 3 2 ", "5/ mineur 11"}, {"3 2 3 3 ", "5/ mineur 11 diese"}}},
  {{5, 7, 1, 3, 13}, {{"3 2 4 5 ", "5/ majeur 13"}, {"3 2 4 4 ", "5/ majeur 13 b\x82mol"}, {"3 2 3 6 ", "5/ mineur 13"}, {"3 2 3 5 ", "5/ mineur 13 b\x82mol"}}},
  {{7, 1, 9, 3, 5}, {{"2 2 2 3 ", "7/ majeur 9"}, {"2 3 1 3 ", "7/ majeur 9 diese"}, {"2 1 3 3 ", "7/ majeur 9 b\x82mol"}, {"2 2 1 4 ", "7/ mineur 9"}, {"2 1 2 4 ", "7/ mineur 9 b\x82mol"}}},
  {{7, 1, 3, 11, 5}, {{"2 4 1 2 ", "7/ majeur 11"}, {"2 4 2 1 ", "7/ majeur 11 diese"}, {"2 3 2 2 ", "7/ mineur 11"}, {"2 3 3 1 ", "7/ mineur 11 di\x8Ase"}}},
  {{7, 1, 3, 5, 13}, {{"2 4 3 2 ", "7/ majeur 13"}, {"2 4 3 1 ", "7/ majeur 13 b\x82mol"}, {"2 3 4 2 ", "7/ mineur 13"}, {"2 3 4 1 ", "7/ mineur 13 b\x82mol"}}},
  {{9, 1, 3, 5, 7}, {{"10 4 3 3 ", "9/ majeur 9"}, {"9 4 3 3 ", "9/ majeur 9 di\x8Ase"}, {"11 4 3 3 ", "9/ majeur 9 b\x82mol"}, {"10 3 4 3 ", "9/ mineur 9"}, {"11 3 4 3 ", "9/ mineur 9 b\x82mol"}}},
  {{11, 5, 7, 1, 3}, {{"2 3 2 4 ", "11/ majeur 11"}, {"1 3 2 4 ", "11/ majeur 11 di\x8Ase"}, {"2 3 2 3 ", "11/ mineur 11"}, {"1 3 2 3 ", "11/ mineur 11 di\x8Ase"}}},
  {{13, 1, 3, 5, 7}, {{"4 4 3 3 ", "13/ majeur 13 b\x82mol"}, {"3 3 4 3 ", "13/ mineur 13"}, {"4 3 4 3 ", "13/ mineur 13 b\x82mol"}}},
};

// clang-format on

}  // namespace

std::span<const DegreeLine> lines_for(int notes) {
  switch (notes) {
    case 2:
      return kTwoNotes;
    case 3:
      return kThreeNotes;
    case 4:
      return kFourNotes;
    case 5:
      return kFiveNotes;
    default:
      return {};
  }
}

}  // namespace velk0::naming
