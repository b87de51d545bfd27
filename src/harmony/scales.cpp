// Scale texts of every key, and note lists written back as tablature.
#include "harmony/scales.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "core/note_text.h"
#include "core/settings.h"

namespace velk0 {
namespace {

// The ready-made texts, one per key (0 = c), in the order of ScaleMode. They
// are played as they stand, so their spacing is part of them.
// clang-format off
constexpr std::array<std::array<std::string_view, 12>, 7> kScales = {{
    // Major
    {{
        kMajorScaleOfC,  // 0
        "o3 d-e-f g-a-b->cd-e-f g-a-b->cd-e-f g-a-b->cd-",  // 1
        "o3 d e f+g a b>c+d e f+g a b>c+d e f+ g a b>c+d",  // 2
        "o3 e-f g a-b->cd e-f g a-b->cd e-f g a-b->cd e-",  // 3
        "o3 e f+g+a b>c+d+e f+g+a b>c+d+e f+g+a b>c+d+e ",  // 4
        "o3 f g a b->cd e f g a b->cd e f g a b->cd e f ",  // 5
        "o3 f+g+a+b>c+d+e+f+g+a+b>c+d+e+f+g+a+b>c+d+e+f+",  // 6
        "o3 g a b>c d e f+g a b>c d e f+g a b>c d e f+g ",  // 7
        "o3 a-b->cd-e-f g a-b->cd-e-f g a-b->cd-e-f g a-",  // 8
        "o3 a b>c+d e f+g+a b>c+d e f+g+a b>c+ d e f+g+a ",  // 9
        "o3 b->cd e-f g a b->cd e-f g a b->cd e-f g a b-",  // 10
        "o3 b>c+d+e f+g+a+b>c+d+e f+g+a+b>c+d+e f+g+a+b ",  // 11
    }},
    // Melodic minor
    {{
        "o3 c d e-f g a0b0>cd e-f g a0b0>cde-f g a0b0>c",  // 0
        "o3 c+d+e f+g+a+>cc+d+e f+g+a+>cc+d+e f+g+a+>cc+",  // 1
        "o3 d e f g a b>c+d e f g a b>c+d e f g a b>c+d ",  // 2
        "o3 d+e+f+g+a+>cc*d+e+f+g+a+>cc*d+e+f+g+a+>cc*d+",  // 3
        "o3 e f+g a b>c+d+e f+g a b>c+d+e f+g a b>c+d+e ",  // 4
        "o3 f g a-b->cd0e0f g a-b->cd0e0f g a-b->cd0e0f ",  // 5
        "o3 f+g+a b>c+d+e+f+g+a b>c+d+e+f+g+a b>c+d+e+f+",  // 6
        "o3 g a b->cd e0f+g a b->cd e0f+g a b->cd e0f+g ",  // 7
        "o3 a-b-b>d-e-f0g0a-b-b>d-e-f0g0a-b-b>d-e-f0g0a-",  // 8
        "o3 a b>c d e f+g+a b>c d e f+g+a ",  // 9
        "o3 b->cd-e-f g0a0b->cd-e-f g0a0b-",  // 10
        "o3 b>c+d e f+g+a+b>c+d e f+g+a+b>c+d e f+g+a+b ",  // 11
    }},
    // Harmonic minor
    {{
        "o3 c d e-f g a-b0>cd e-f g a-b0>cde-f g a-b0>c",  // 0
        "o3 c+d+e f+g+a >cc+d+e f+g+a >cc+d+e f+g+a >cc+",  // 1
        "o3 d e f g a b-> c+d e f g a b-> c+d e f g a b-> c+d ",  // 2
        "o3 d+e+f+g+a+b>c*d+e+f+g+a+b>c*d+e+f+g+a+b>c*d+",  // 3
        "o3 e f+g a b>c d+e f+g a b>c d+e f+g a b>c d+e ",  // 4
        "o3 f g a-b->cd-e0f g a-b->cd-e0f g a-b->cd-e0f ",  // 5
        "o3 f+g+a b>c+d e+f+g+a b>c+d e+f+g+a b>c+d e+f+",  // 6
        "o3 g a b->cd e-f+g a b->cd e-f+g a b->cd e-f+g ",  // 7
        "o3 a-b-b>d-e-f-g0a-b-b>d-e-f-g0a-b-b>d-e-f-g0a-",  // 8
        "o3 a b>c d e f g+a b>c d e f g+a ",  // 9
        "o3 b->cd-e-f g-a0b->cd-e-f g-a0b-",  // 10
        "o3 b>c+d e f+g a+b>c+d e f+g a+b>c+d e f+g a+b ",  // 11
    }},
    // Natural minor
    {{
        "o3 c d e-f g a-b->cd e-f g a-b->cde-f g a-b->c",  // 0
        "o3 c+d+e f+g+a b>c+d+e f+g+a b>c+d+e f+g+a b>c+",  // 1
        "o3 d e f g a b->cd e f g a b->cd e f g a b->cd ",  // 2
        "o3 d+e+f+g+a+b>c+d+e+f+g+a+b>c+d+e+f+g+a+b>c+d+",  // 3
        "o3 e f+g a b>c d e f+g a b>c d e f+g a b>c d e ",  // 4
        "o3 f g a-b->cd-e-f g a-b->cd-e-f g a-b->cd-e-f ",  // 5
        "o3 f+g+a b>c+d e f+g+a b>c+d e f+g+a b>c+d e f+",  // 6
        "o3 g a b->cd e-f g a b->cd e-f g a b->cd e-f g ",  // 7
        "o3 a-b-b>d-e-f-g-a-b-b>d-e-f-g-a-b-b>d-e-f-g-a-",  // 8
        "o3 a b>c d e f g a b>c d e f g a ",  // 9
        "o3 b->cd-e-f g-a-b->cd-e-f g-a-b-",  // 10
        "o3 b>c+d e f+g a b>c+d e f+g a b>c+d e f+g a b ",  // 11
    }},
    // Whole tone
    {{
        "o3 c d e f+g+a+>cd e f+g+a+>cd e f+g+a+>c",  // 0
        "o3 d-e-f g a b>d-e-f g a b>d-e-f g a b>d-",  // 1
        "o3 d e f+g+a+>cd e f+g+a+>cd e f+g+a+>cd ",  // 2
        "o3 e-f g a b>d-e-f g a b>d-e-f g a b>d-e-",  // 3
        "o3 e f+g+a+>cd e f+g+a+>cd e f+g+a+>c d e ",  // 4
        "o3 f g a b>d-e-f g a b>d-e-f g a b>d-e-f ",  // 5
        "o3 f+g+a+>cd e f+g+a+>cd e f+g+a+>cd e f+",  // 6
        "o3 g a b>c+d+f g a b>c+d+f g a b>c+d+f g ",  // 7
        "o3 a-b->cd e g-a-b->cd e g-a-b->cd e g-a-",  // 8
        "o3 a b>c+d+f g a b>c+d+f g a b>c+d+f g a ",  // 9
        "o3 b->cd e g-a-b->cd e g-a-b->c d e g-a-b-",  // 10
        "o3 b>c+d+f g a b>c+d+f g a b>c+d+f g a b ",  // 11
    }},
    // Minor blues
    {{
        "o3 c e-f f+g b->ce-f f+g b->ce-f f+g b->c",  // 0
        "o3 d-e g-g a-b>d-e g-g a-b>d-e g-g a-b>d-",  // 1
        "o3 d f g g+a >cd f g g+a >cd f g g+a >cd ",  // 2
        "o3 e-g-a-a b->d-e-g-a-a b->d-e-g-a-a b->d-e-",  // 3
        "o3 e g a a+b >de g a a+b >de g a a+b >de ",  // 4
        "o3 f a-b-b >ce-f a-b-b >ce-f a-b-b >ce-f ",  // 5
        "o3 f+a b >cc+e f+a b >cc+e f+a b >cc+e f+",  // 6
        "o3 g b->cd-d f g b->cd-d f g b->cd-d f g ",  // 7
        "o3 a-b>d-d e-g-a-b>d-d e-g-a-b>d-d e-g-a-",  // 8
        "o3 a >cd d+e g a >cd d+e g a >cd d+e g a ",  // 9
        "o3 b->d-e-e f a-b->d-e-e f a-b->d-e-e f a-b-",  // 10
        "o3 b >de f f+a b >de f f+a b >de f f+a b ",  // 11
    }},
    // Major blues
    {{
        "o3 c e-e g a >ce-e g a >ce-e g a >c",  // 0
        "o3 d-e f a-b->d-efa-b->d-e f a-b->d-",  // 1
        "o3 d f f+a b >df f+a b >df f+a b >d",  // 2
        "o3 e-g-g b->ce-g-g b->ce-g-g b->ce-",  // 3
        "o3 e g g+b>c+e g g+b>c+e g g+b>c+e ",  // 4
        "o3 f a-a >cd f a-a >cd f a-a >cd f ",  // 5
        "o3 f+a a+>c+d+f+aa+>c+d+f+aa+>c+d+f+",  // 6
        "o3 g b-b >de g b-b >de g b-b >de g b-b >de g ",  // 7
        "o3 a-b >ce-f a-b >ce-f a-b >ce-f a-",  // 8
        "o3 a >cc+e f+a >cc+e f+a >cc+e f+a ",  // 9
        "o3 b->d-dfgb->d-df g b->d-dfg b-",  // 10
        "o3 b >dd+f+g+b >dd+f+g+b >dd+f+g+b ",  // 11
    }},
}};
// clang-format on

// Note names for the black keys, sharp or flat according to the key.
constexpr std::array<std::string_view, 12> kFlatKeyNames = {"c",  "d-", "d",  "e-", "e",  "f",
                                                            "g-", "g",  "a-", "a",  "b-", "b"};

// Keys spelled with sharps: c, d, e, g, a, b.
bool uses_sharps(int key) {
  return key == 0 || key == 2 || key == 4 || key == 7 || key == 9 || key == 11;
}

// Character where note place 1 starts: after "o3 ".
constexpr long long kFirstPlace = 3;

// An octave mark with a blank after it, at character `at` (from 0): the
// texts climb, so the mark is always ">".
bool is_mark_place(std::string_view text, long long at) {
  if (at < 0 || at + 1 >= static_cast<long long>(text.size())) return false;
  return text.substr(static_cast<std::size_t>(at), 2) == "> ";
}

}  // namespace

void cut_note_places(std::string_view text, int first, int count, std::string& out) {
  out.clear();
  if (first < 0 || count < 1) return;
  const auto size = static_cast<long long>(text.size());
  // Place 0 is the "3 " of "o3 ": cut as characters, with no place to walk.
  long long begin = 2LL * first + 1, end = begin + 2LL * count;
  if (first >= 1) {
    begin = kFirstPlace;
    for (int notes = 1; notes < first || is_mark_place(text, begin); begin += 2)
      if (!is_mark_place(text, begin)) ++notes;
    end = begin;
    for (int notes = 0; notes < count && end < size; end += 2)
      if (!is_mark_place(text, end)) ++notes;
  }
  if (begin < size)
    out = text.substr(static_cast<std::size_t>(begin),
                      static_cast<std::size_t>(std::min(end, size) - begin));
}

void scale_text(const PlaySettings& settings, ScaleMode mode, std::string& out) {
  const int key = settings.ton;
  const auto m = static_cast<std::size_t>(mode);
  if (key < 0 || key > 11 || m >= kScales.size()) return;
  out = kScales[m][static_cast<std::size_t>(key)];
}

void notes_to_tablature(const PlaySettings& settings, std::span<const std::int8_t> notes,
                        std::string& out) {
  // The octave the text is at, from the current octave.
  int at = settings.octa;
  out.clear();
  const auto& names = uses_sharps(settings.ton) ? kSharpNoteNames : kFlatKeyNames;
  const int count =
      notes.empty() ? 0 : std::clamp<int>(notes[0], 0, static_cast<int>(notes.size()) - 1);
  for (int i = 1; i <= count; ++i) {
    const int v = notes[static_cast<std::size_t>(i)];
    if (v < 0) continue;  // no name below 0
    const int octave = v / 12;
    for (int q = at; q < octave; ++q) out += '>';
    for (int q = at; q > octave; --q) out += '<';
    out += names[static_cast<std::size_t>(v % 12)];
    at = octave;
  }
}

}  // namespace velk0
