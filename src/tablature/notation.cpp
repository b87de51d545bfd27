// The tablature notation: one token reader for both readers, the
// key-signature rewrite and the indications.
#include "tablature/notation.h"

#include <cstdint>

#include "app/text.h"
#include "midi/midi_out.h"

namespace velk0 {
namespace {

constexpr std::size_t kIndicationCapacity = 255;  // text of one indication
constexpr std::size_t kSignatureCapacity = 511;   // key signature plus the measure's accidentals

// A key signature met while reading starts the reading again on the text
// rewritten with it; the rewrite removes the key-signature indications it
// sees, so a reading restarts once in practice. A text whose reader and
// rewrite disagree about where its indications lie could restart for ever:
// past this many restarts the reading just goes on.
constexpr int kMaxRestarts = 16;

bool is_separator(unsigned char c) { return c == '|' || c == '\r' || c == '\n'; }

bool is_accidental(unsigned char c) {
  return c == '+' || c == '-' || c == '0' || c == '*' || c == 0xE1;
}

// The text as its C form would hold it: up to its first zero byte, at most
// `capacity` characters.
std::string_view c_text(std::string_view text, std::size_t capacity) {
  text = text.substr(0, text.find('\0'));
  return text.substr(0, capacity);
}

void append_bounded(std::string& text, std::string_view more, std::size_t capacity) {
  if (text.size() >= capacity) return;
  text.append(more.substr(0, capacity - text.size()));
}

int base_number(unsigned char letter) {
  switch (letter) {
    case 'c':
      return 36;
    case 'd':
      return 38;
    case 'e':
      return 40;
    case 'f':
      return 41;
    case 'g':
      return 43;
    case 'a':
      return 45;
    case 'b':
      return 47;
    default:
      return -1;
  }
}

// The nuance words an `n` indication turns its text into.
std::string_view nuance_word(std::string_view text) {
  if (text == "p") return "piamo";
  if (text == "pp") return "pianissimo";
  if (text == "f") return "fort\xE9";
  if (text == "ff") return "fortissimo";
  if (text == "<") return "diminuendo";
  if (text == ">") return "crechendo";
  return {};
}

class TokenReader {
 public:
  TokenReader(Reader reader, Notes& notes, Durations& durations, Bytes* articulations, Bytes* marks,
              ReadingWatcher* watcher)
      : playing_(reader == Reader::kPlaying),
        notes_(notes),
        durations_(durations),
        articulations_(playing_ ? articulations : nullptr),
        marks_(playing_ ? marks : nullptr),
        watcher_(watcher) {}

  int read(std::string_view text) {
    PlaySettings& s = settings();
    const std::string lowered = lower_ascii(c_text(text, kTextCapacity));
    running_octave_ = s.octa;
    for (int restarts = 0;; ++restarts) {
      std::string source = lowered;
      if (!s.arma.empty()) {
        std::string work = lowered;
        apply_key_signature(work, source);
      }
      if (!read_pass(source, restarts < kMaxRestarts)) break;
    }
    notes_[0] = static_cast<std::int8_t>(count_);
    durations_[0] = static_cast<std::uint32_t>(count_);
    if (articulations_) (*articulations_)[0] = static_cast<std::uint8_t>(count_);
    if (marks_) (*marks_)[0] = static_cast<std::uint8_t>(count_);
    return separators_;
  }

 private:
  // Reads `source` from its start; returns true when a key signature asks for
  // the reading to start again.
  bool read_pass(const std::string& source, bool may_restart) {
    PlaySettings& s = settings();
    count_ = 0;
    separators_ = 0;
    articulation_ = kNormal;
    if (marks_) marks_->fill(0);
    if (watcher_) watcher_->started();

    const std::size_t size = source.size();
    auto at = [&](std::size_t k) -> unsigned char {
      return k < size ? static_cast<unsigned char>(source[k]) : 0;
    };

    for (std::size_t i = 0; i < size; ++i) {
      const unsigned char ch = at(i);
      std::string text(1, static_cast<char>(ch));  // how the token is written down
      bool separator = false;

      if (const int base = base_number(ch); base >= 0) {
        add_note(static_cast<std::int8_t>(base + (running_octave_ - 3) * 12 + s.trans));
      } else if (ch == 'i') {
        if (read_indication(source, i) && may_restart) return true;
        continue;  // indications are not written into measure texts
      } else if (is_separator(ch)) {
        ++separators_;
        running_octave_ = s.octa;
        separator = true;
      } else if (ch >= '1' && ch <= '9') {
        // A note value of one or two digits.
        const std::int32_t n = read_integer(std::string_view(source).substr(i, 2));
        s.dur = n;
        if (n >= 10) ++i;
        text = format_text("%d ", static_cast<int>(s.dur));
      } else if (ch == 'm' && playing_) {
        read_articulation_or_mark(at(++i));
        text.clear();
      } else if (is_group_start(ch) && playing_) {
        if (marks_) (*marks_)[next_position()] = ch;
      } else if (is_group_end(ch) && playing_) {
        if (marks_) (*marks_)[static_cast<std::size_t>(count_)] = ch;
      } else {
        switch (ch) {
          case 'p':
            add_note(0);
            break;
          case '+':
            alter(1);
            break;
          case '-':
            alter(-1);
            break;
          case '*':
            alter(2);
            break;
          case 0xE1:
            alter(-2);
            break;
          case '>':
            if (running_octave_ < 7) ++running_octave_;
            break;
          case '<':
            if (running_octave_ > 0) --running_octave_;
            break;
          case 'o': {
            // One character: a digit 0 to 8 sets the octave, anything else
            // that is not a digit reads as 0.
            const unsigned char c = at(++i);
            const int n = (c >= '0' && c <= '9') ? c - '0' : 0;
            if (n <= 8) s.octa = static_cast<std::int8_t>(n);
            running_octave_ = s.octa;
            break;
          }
          case 't': {
            const std::int32_t n = read_integer(std::string_view(source).substr(i + 1, 3));
            const std::int32_t high = playing_ ? 240 : 261;
            if (n > 30 && n < high) s.tempo = n;
            i += n <= 9 ? 1 : n <= 99 ? 2 : 3;
            text = format_text("t%d ", static_cast<int>(s.tempo));
            break;
          }
          case '.': {
            const std::uint64_t value = durations_[static_cast<std::size_t>(count_)];
            std::uint64_t dotted = value * 2 / 3;
            if (at(i + 1) == '.') {
              ++i;
              dotted = value * 4 / 7;
            }
            durations_[static_cast<std::size_t>(count_)] = static_cast<std::uint32_t>(dotted);
            break;
          }
          default:
            break;  // spaces, the natural and anything without a meaning
        }
      }
      if (watcher_) watcher_->token(text, separator, separators_, count_);
    }
    return false;
  }

  // Reads the indication whose `i` stands at `i`, leaves `i` on its colon (or
  // the end) and executes it; true when it set a key signature.
  bool read_indication(const std::string& source, std::size_t& i) {
    const std::size_t size = source.size();
    if (i + 1 >= size) {
      i = size;
      std::string text, label;
      apply_indication('\0', text, label);
      if (watcher_) watcher_->indication('\0', text, label, separators_);
      return false;
    }
    const char kind = source[i + 1];
    const std::size_t start = i + 2;
    const std::size_t colon = source.find(':', start);
    const std::size_t end = colon == std::string::npos ? size : colon;
    std::string text = start < end ? source.substr(start, end - start) : std::string();
    if (text.size() > kIndicationCapacity) text.resize(kIndicationCapacity);
    i = end;

    std::string label;
    apply_indication(kind, text, label);
    if (watcher_) watcher_->indication(kind, text, label, separators_);
    return kind == 'a' && !settings().arma.empty();
  }

  void read_articulation_or_mark(unsigned char c) {
    switch (c) {
      case 'n':
        articulation_ = kNormal;
        return;
      case 'l':
        articulation_ = kLegato;
        return;
      case 's':
        articulation_ = kStaccato;
        return;
      case 't':
        articulation_ = kTenu;
        return;
      case 0:
        return;  // `m` at the very end
      default: {
        if (!marks_) return;
        // An expression mark is announced just before its note plays, so it
        // goes with the note that follows it; it never takes the place of a
        // group bracket, which changes how the notes sound.
        std::uint8_t& mark = (*marks_)[next_position()];
        if (!is_group_start(mark) && !is_group_end(mark)) mark = c;
      }
    }
  }

  // Where the next note read will go: a note read when the list is full
  // replaces the last entry.
  std::size_t next_position() const {
    return static_cast<std::size_t>(count_ < kListCapacity ? count_ + 1 : kListCapacity);
  }

  void add_note(std::int8_t note) {
    const std::size_t k = next_position();
    count_ = static_cast<int>(k);
    notes_[k] = note;
    durations_[k] = static_cast<std::uint32_t>(settings().dur) * 1000u;
    if (articulations_) (*articulations_)[k] = articulation_;
  }

  // Accidentals act on the last note read (on element 0, the count, before
  // any note: that is overwritten at the end).
  void alter(int semitones) {
    std::int8_t& note = notes_[static_cast<std::size_t>(count_)];
    note = static_cast<std::int8_t>(note + semitones);
  }

  const bool playing_;
  Notes& notes_;
  Durations& durations_;
  Bytes* articulations_;
  Bytes* marks_;
  ReadingWatcher* watcher_;
  int running_octave_ = 3;
  int count_ = 0;
  int separators_ = 0;
  std::uint8_t articulation_ = kNormal;
};

}  // namespace

int read_tablature(std::string_view text, Reader reader, Notes& notes, Durations& durations,
                   Bytes* articulations, Bytes* marks, ReadingWatcher* watcher) {
  TokenReader token_reader(reader, notes, durations, articulations, marks, watcher);
  return token_reader.read(text);
}

int parse_tablature(std::string_view text, Notes& notes, Durations& durations) {
  const int separators =
      read_tablature(text, Reader::kMaterial, notes, durations, nullptr, nullptr, nullptr);
  return static_cast<std::uint8_t>(separators);
}

int apply_key_signature(std::string& text, std::string& out) {
  PlaySettings& s = settings();
  text = lower_ascii(c_text(text, kTextCapacity));
  if (text.size() < kTextCapacity) text.push_back(' ');
  out.clear();

  std::string sig;  // the key signature and the accidentals written in the measure
  set_bounded(sig, s.arma, kSignatureCapacity);
  auto put = [&](std::string_view more) { append_bounded(out, more, kTextCapacity); };

  int separators = 0;
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size; ++i) {
    const char ch = text[i];
    const char nx = i + 1 < size ? text[i + 1] : '\0';
    const auto uch = static_cast<unsigned char>(ch);

    if (ch == 'i') {
      // The kind letter and the text up to and including the colon.
      const std::size_t colon = i + 2 <= size ? text.find(':', i + 2) : std::string::npos;
      const std::size_t stop = colon == std::string::npos ? size : colon + 1;
      std::string_view collected = std::string_view(text).substr(i + 1, stop - (i + 1));
      if (!collected.empty() && collected.front() == 'a') {
        std::string_view value = collected.substr(1);
        if (!value.empty()) value.remove_suffix(1);
        set_bounded(s.arma, value, kSettingCapacity);
        set_bounded(sig, s.arma, kSignatureCapacity);
      } else {
        put("i");
        put(collected);
      }
      i = stop - 1;
    } else if (is_separator(uch)) {
      put(std::string_view(&ch, 1));
      set_bounded(sig, s.arma, kSignatureCapacity);
      ++separators;
    } else if (ch >= 'a' && ch <= 'g') {
      const std::size_t at = sig.find(ch);
      const char pair[2] = {ch, nx};
      if (is_accidental(static_cast<unsigned char>(nx))) {
        // An accidental written here holds to the end of the measure.
        put(std::string_view(pair, 2));
        ++i;
        if (at == std::string::npos)
          append_bounded(sig, std::string_view(pair, 2), kSignatureCapacity);
        else if (at + 1 < sig.size())
          sig[at + 1] = nx;
        else
          append_bounded(sig, std::string_view(&nx, 1), kSignatureCapacity);
      } else {
        put(std::string_view(&ch, 1));
        if (at != std::string::npos && at + 1 < sig.size()) put(std::string_view(&sig[at + 1], 1));
      }
    } else {
      put(std::string_view(&ch, 1));
    }
  }
  return separators;
}

void apply_indication(char kind, std::string& text, std::string& label) {
  PlaySettings& s = settings();
  switch (kind) {
    case 'a':
      set_bounded(s.arma, text, kSettingCapacity);
      return;
    case 'c':
      label = "conseil";
      return;
    case 'd':
      label = "doigt\xE9";
      return;
    case 'h':
      label = "harmonie";
      return;
    case 'i':
      s.instru = read_integer(text);
      program_change(s.instru);
      label = "instrument";
      return;
    case 'm': {
      const std::int32_t num = read_integer(text);
      s.num = num == 0 ? 4 : num;
      const std::size_t slash = text.find('/');
      s.den =
          slash == std::string::npos ? 4 : read_integer(std::string_view(text).substr(slash + 1));
      label = "mesure";
      return;
    }
    case 'n':
      if (const std::string_view word = nuance_word(text); !word.empty()) text = word;
      label = "nuance";
      return;
    case 'o': {
      const std::int32_t octave = read_integer(text);
      s.octa = static_cast<std::int8_t>(octave < 0 || octave > 8 ? 3 : octave);
      label = "octave";
      return;
    }
    case 'p':
      label = "paroles";
      return;
    case 'r':
      label = "reprise";
      return;
    case 't':
      s.trans = static_cast<std::int8_t>(read_integer(text));
      label = "transposition";
      return;
    case 'v':
      s.vol = read_integer(text);
      label = "volume";
      return;
    default:
      label =
          "indication non trait\xE9"
          "e";
      return;
  }
}

}  // namespace velk0
