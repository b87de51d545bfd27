// The tablature notation: one token reader for both readers, the
// key-signature rewrite and the indications.
#include "tablature/notation.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

#include "core/note_text.h"
#include "core/text.h"
#include "midi/midi_out.h"

namespace velk0 {
namespace {

// A key signature met while reading starts the reading again on the text
// rewritten with it; the rewrite removes the key-signature indications it
// sees, so a reading restarts once in practice. A text whose reader and
// rewrite disagree about where its indications lie could restart for ever:
// past this many restarts the reading just goes on.
constexpr int kMaxRestarts = 16;

// A reading handed on a list at a time hands it on before the last place is
// taken: a mark written for the note to come still has a place to wait in.
constexpr int kBatchNotes = kListCapacity - 1;

bool is_separator(unsigned char c) { return c == '|' || c == '\r' || c == '\n'; }

// The accidentals, and the natural, which the notation also takes after a note.
bool is_accidental_or_natural(unsigned char c) {
  return c == '0' || is_accidental(static_cast<char>(c));
}

// The octave the base numbers of the letters stand in (c of octave 3 is 36),
// and the highest octave `>` reaches.
constexpr int kBaseOctave = 3;
constexpr int kHighestRunningOctave = 7;
// A tempo token is taken when it lies strictly between these: the player
// takes fewer tempos than the material reader.
constexpr std::int32_t kTempoBelow = 30;
constexpr std::int32_t kPlayingTempoAbove = 240;
constexpr std::int32_t kMaterialTempoAbove = 261;

// Semitones an accidental adds to the note before it.
int accidental_steps(unsigned char c) {
  switch (c) {
    case '+':
      return 1;
    case '-':
      return -1;
    case '*':
      return 2;
    case 0xE1:
      return -2;
    default:
      return 0;
  }
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

// The nuance words an `n` indication turns its text into, and the labels of
// the indications: Windows-1252 bytes, spelt ("piamo", "crechendo") as the
// program shows them.
std::string_view nuance_word(std::string_view text) {
  if (text == "p") return "piamo";
  if (text == "pp") return "pianissimo";
  if (text == "f") return "fort\xE9";
  if (text == "ff") return "fortissimo";
  if (text == "<") return "diminuendo";
  if (text == ">") return "crechendo";
  return {};
}

// Writes the key signature's accidentals onto the notes of a text, keeping
// the accidentals written in a measure to the end of that measure.
class KeySignatureRewrite {
 public:
  // `trailing_space`: the text is read as if one space followed it.
  KeySignatureRewrite(PlaySettings& settings, std::string_view text, bool trailing_space,
                      std::string& out, std::size_t capacity)
      : settings_(settings),
        text_(text),
        size_(text.size() + (trailing_space ? 1 : 0)),
        out_(out),
        capacity_(capacity) {
    out_.clear();
    set_bounded(sig_, settings_.arma, kSignatureCapacity);
  }

  // Returns the number of separators.
  int run() {
    for (i_ = 0; i_ < size_; ++i_) {
      const char ch = at(i_);
      if (ch == 'i')
        indication();
      else if (is_separator(static_cast<unsigned char>(ch)))
        separator(ch);
      else if (ch >= 'a' && ch <= 'g')
        letter(ch);
      else
        put(std::string_view(&ch, 1));
    }
    return separators_;
  }

 private:
  void put(std::string_view more) { append_bounded(out_, more, capacity_); }

  // The character at position k: the trailing space past the text, then 0.
  char at(std::size_t k) const { return k < text_.size() ? text_[k] : k < size_ ? ' ' : '\0'; }

  // The kind letter and the text up to and including the colon: a key
  // signature replaces arma and is not written; any other indication is
  // written as it stands.
  void indication() {
    const std::size_t colon = i_ + 2 <= size_ ? text_.find(':', i_ + 2) : std::string::npos;
    const std::size_t stop = colon == std::string::npos ? size_ : colon + 1;
    std::string collected(text_.substr(i_ + 1, stop - (i_ + 1)));
    if (stop > text_.size()) collected += ' ';
    if (!collected.empty() && collected.front() == 'a') {
      std::string_view value = std::string_view(collected).substr(1);
      if (!value.empty()) value.remove_suffix(1);
      set_bounded(settings_.arma, value, kSettingCapacity);
      set_bounded(sig_, settings_.arma, kSignatureCapacity);
    } else {
      put("i");
      put(collected);
    }
    i_ = stop - 1;
  }

  // The accidentals written in the measure are forgotten.
  void separator(char ch) {
    put(std::string_view(&ch, 1));
    set_bounded(sig_, settings_.arma, kSignatureCapacity);
    ++separators_;
  }

  void letter(char ch) {
    const char nx = at(i_ + 1);
    const std::size_t at = sig_.find(ch);
    if (!is_accidental_or_natural(static_cast<unsigned char>(nx))) {
      // The accidental the signature (or the measure) gives the letter.
      put(std::string_view(&ch, 1));
      if (at != std::string::npos && at + 1 < sig_.size()) put(std::string_view(&sig_[at + 1], 1));
      return;
    }
    // An accidental written here holds to the end of the measure.
    const char pair[2] = {ch, nx};
    put(std::string_view(pair, 2));
    ++i_;
    if (at == std::string::npos)
      append_bounded(sig_, std::string_view(pair, 2), kSignatureCapacity);
    else if (at + 1 < sig_.size())
      sig_[at + 1] = nx;
    else
      append_bounded(sig_, std::string_view(&nx, 1), kSignatureCapacity);
  }

  PlaySettings& settings_;  // arma: replaced by a key signature met
  const std::string_view text_;
  const std::size_t size_;
  std::string& out_;
  const std::size_t capacity_;
  std::string sig_;  // the key signature and the accidentals written in the measure
  std::size_t i_ = 0;
  int separators_ = 0;
};

// Where a reading pass stands: the text, the position of the token being
// read, and how that token is written down for the watcher.
struct Cursor {
  std::string_view source;
  std::size_t i = 0;
  std::string text;
  bool separator = false;

  // The character at position k, 0 past the end.
  unsigned char at(std::size_t k) const {
    return k < source.size() ? static_cast<unsigned char>(source[k]) : 0;
  }
  // Consumes the next character and returns it.
  unsigned char take_next() { return at(++i); }
};

// What a token handler asks of the pass.
enum class Step : std::uint8_t {
  kWatched,    // tell the watcher about the token
  kUnwatched,  // an indication: the watcher has heard of it already
  kRestart,    // a key signature was set: read again from the start
};

class TokenReader {
 public:
  TokenReader(RunState& run, Reader reader, Notes& notes, Durations& durations,
              Bytes* articulations, Bytes* marks, ReadingWatcher* watcher, bool transpose = true)
      : run_(run),
        playing_(reader == Reader::kPlaying),
        transpose_(transpose),
        notes_(notes),
        durations_(durations),
        articulations_(playing_ ? articulations : nullptr),
        marks_(playing_ ? marks : nullptr),
        watcher_(watcher) {}

  // Reads a text cut to a tablature's size.
  int read(std::string_view text) {
    return read_lowered(lower_ascii(c_text(text, kTextCapacity)), kTextCapacity);
  }

  // Reads a lower-cased text of any length, handing `sink` the notes a list
  // at a time in `batch` (the list the reader was made with).
  int read_whole(const std::string& lowered, NoteList& batch, NoteSink& sink) {
    batch_ = &batch;
    sink_ = &sink;
    return read_lowered(lowered, std::string::npos);
  }

 private:
  using Handler = Step (TokenReader::*)(Cursor&);
  using HandlerTable = std::array<Handler, 256>;

  // The handler of each character; characters without one are skipped.
  static constexpr HandlerTable make_table(bool playing) {
    HandlerTable table{};
    for (unsigned char c : std::string_view("abcdefg")) table[c] = &TokenReader::note;
    for (unsigned char c : std::string_view("+-*\xE1")) table[c] = &TokenReader::accidental;
    for (unsigned char c : std::string_view("|\r\n")) table[c] = &TokenReader::separator;
    for (unsigned char c = '1'; c <= '9'; ++c) table[c] = &TokenReader::note_value;
    table['p'] = &TokenReader::rest;
    table['>'] = &TokenReader::octave_up;
    table['<'] = &TokenReader::octave_down;
    table['o'] = &TokenReader::octave;
    table['t'] = &TokenReader::tempo;
    table['.'] = &TokenReader::dot;
    table['i'] = &TokenReader::indication;
    if (playing) {
      table['m'] = &TokenReader::articulation_or_mark;
      for (unsigned char c : kGroupStarts) table[c] = &TokenReader::group_start;
      for (unsigned char c : kGroupEnds) table[c] = &TokenReader::group_end;
    }
    return table;
  }
  static const HandlerTable kMaterialTable;
  static const HandlerTable kPlayingTable;

  int read_lowered(const std::string& lowered, std::size_t capacity) {
    PlaySettings& s = run_.settings;
    running_octave_ = s.octa;
    std::string rewritten;
    for (int restarts = 0;; ++restarts) {
      const bool signed_text = !s.arma.empty();
      if (signed_text) {
        KeySignatureRewrite rewrite(s, lowered, lowered.size() < capacity, rewritten, capacity);
        rewrite.run();
      }
      const std::string& source = signed_text ? rewritten : lowered;
      const bool may_restart = restarts < kMaxRestarts;
      // A reading handed on as it goes keeps nothing of a pass that will start
      // again, so it looks ahead first.
      discarding_ = sink_ && may_restart && restarts_ahead(source);
      if (!read_pass(source, may_restart)) break;
    }
    discarding_ = false;
    if (sink_)
      hand_on(true);
    else
      store_count();
    return separators_;
  }

  // Whether reading `source` meets a key signature that starts it again: a
  // dry reading that executes no indication and leaves the settings as they
  // were.
  bool restarts_ahead(const std::string& source) const {
    if (source.find("ia") == std::string::npos) return false;
    const PlaySettings saved = run_.settings;
    auto scratch = std::make_unique<NoteList>();
    TokenReader dry(run_, playing_ ? Reader::kPlaying : Reader::kMaterial, scratch->notes,
                    scratch->durations, &scratch->articulations, &scratch->marks, nullptr);
    dry.dry_ = true;
    dry.running_octave_ = running_octave_;
    const bool restarts = dry.read_pass(source, true);
    run_.settings = saved;
    return restarts;
  }

  void store_count() {
    notes_[0] = static_cast<std::int8_t>(count_);
    durations_[0] = static_cast<std::uint32_t>(count_);
    if (articulations_) (*articulations_)[0] = static_cast<std::uint8_t>(count_);
    if (marks_) (*marks_)[0] = static_cast<std::uint8_t>(count_);
  }

  // Hands the notes read so far to the sink and empties the list; a mark
  // already written for the next note stays with it.
  void hand_on(bool last) {
    store_count();
    if (!discarding_) sink_->take(*batch_, last);
    if (last) return;
    const auto next = static_cast<std::size_t>(count_ + 1);
    const std::uint8_t pending = marks_ ? (*marks_)[next] : 0;
    if (marks_) {
      marks_->fill(0);
      (*marks_)[1] = pending;
    }
    count_ = 0;
  }

  // Reads `source` from its start; returns true when a key signature asks for
  // the reading to start again.
  bool read_pass(const std::string& source, bool may_restart) {
    count_ = 0;
    separators_ = 0;
    articulation_ = kNormal;
    if (marks_) marks_->fill(0);
    if (watcher_) watcher_->started();

    const HandlerTable& table = playing_ ? kPlayingTable : kMaterialTable;
    Cursor cursor;
    cursor.source = source;
    for (; cursor.i < source.size(); ++cursor.i) {
      const unsigned char ch = cursor.at(cursor.i);
      cursor.text.assign(1, static_cast<char>(ch));
      cursor.separator = false;
      const Handler handler = table[ch];
      const Step step = handler ? (this->*handler)(cursor) : Step::kWatched;
      if (step == Step::kRestart && may_restart) return true;
      if (step == Step::kWatched && watcher_)
        watcher_->token(cursor.text, cursor.separator, separators_, count_);
    }
    return false;
  }

  Step note(Cursor& cursor) {
    const int base = base_number(cursor.at(cursor.i));
    const int trans = transpose_ ? run_.settings.trans : 0;
    add_note(static_cast<std::int8_t>(base + (running_octave_ - kBaseOctave) * 12 + trans));
    return Step::kWatched;
  }

  Step rest(Cursor&) {
    add_note(0);
    return Step::kWatched;
  }

  // Accidentals act on the last note read (on element 0, the count, before
  // any note: that is overwritten at the end).
  Step accidental(Cursor& cursor) {
    std::int8_t& note = notes_[static_cast<std::size_t>(count_)];
    note = static_cast<std::int8_t>(note + accidental_steps(cursor.at(cursor.i)));
    return Step::kWatched;
  }

  Step separator(Cursor& cursor) {
    ++separators_;
    running_octave_ = run_.settings.octa;
    cursor.separator = true;
    return Step::kWatched;
  }

  Step octave_up(Cursor&) {
    if (running_octave_ < kHighestRunningOctave) ++running_octave_;
    return Step::kWatched;
  }

  Step octave_down(Cursor&) {
    if (running_octave_ > 0) --running_octave_;
    return Step::kWatched;
  }

  // One character: a digit 0 to 8 sets the octave, anything else that is not
  // a digit reads as 0.
  Step octave(Cursor& cursor) {
    PlaySettings& s = run_.settings;
    const unsigned char c = cursor.take_next();
    const int n = (c >= '0' && c <= '9') ? c - '0' : 0;
    if (n <= 8) s.octa = static_cast<std::int8_t>(n);
    running_octave_ = s.octa;
    return Step::kWatched;
  }

  Step tempo(Cursor& cursor) {
    PlaySettings& s = run_.settings;
    const std::int32_t n = read_digits(cursor.source.substr(cursor.i + 1, 3));
    const std::int32_t above = playing_ ? kPlayingTempoAbove : kMaterialTempoAbove;
    if (n > kTempoBelow && n < above) s.tempo = n;
    cursor.i += n <= 9 ? 1 : n <= 99 ? 2 : 3;
    cursor.text = format_text("t%d ", static_cast<int>(s.tempo));
    return Step::kWatched;
  }

  // A note value of one or two digits.
  Step note_value(Cursor& cursor) {
    PlaySettings& s = run_.settings;
    const std::int32_t n = read_digits(cursor.source.substr(cursor.i, 2));
    s.dur = n;
    if (n >= 10) ++cursor.i;
    cursor.text = format_text("%d ", static_cast<int>(s.dur));
    return Step::kWatched;
  }

  Step dot(Cursor& cursor) {
    std::uint32_t& value = durations_[static_cast<std::size_t>(count_)];
    const std::uint64_t wide = value;
    std::uint64_t dotted = wide * 2 / 3;
    if (cursor.at(cursor.i + 1) == '.') {
      ++cursor.i;
      dotted = wide * 4 / 7;
    }
    value = static_cast<std::uint32_t>(dotted);
    return Step::kWatched;
  }

  // Reads the indication whose `i` stands at the cursor, leaves the cursor on
  // its colon (or the end) and executes it.
  Step indication(Cursor& cursor) {
    const std::string_view source = cursor.source;
    const std::size_t size = source.size();
    if (cursor.i + 1 >= size) {
      cursor.i = size;
      if (!dry_) execute_indication('\0', std::string());
      return Step::kUnwatched;
    }
    const char kind = source[cursor.i + 1];
    const std::size_t start = cursor.i + 2;
    const std::size_t colon = source.find(':', start);
    const std::size_t end = colon == std::string_view::npos ? size : colon;
    // Only the start of a long text is kept: no copy of the rest of the text.
    std::string text(start < end ? source.substr(start, std::min(end - start, kIndicationCapacity))
                                 : std::string_view());
    cursor.i = end;
    if (dry_) return kind == 'a' && !text.empty() ? Step::kRestart : Step::kUnwatched;
    execute_indication(kind, std::move(text));
    return kind == 'a' && !run_.settings.arma.empty() ? Step::kRestart : Step::kUnwatched;
  }

  void execute_indication(char kind, std::string text) {
    std::string label;
    apply_indication(run_, kind, text, label);
    if (watcher_) watcher_->indication(kind, text, label, separators_);
  }

  Step articulation_or_mark(Cursor& cursor) {
    const unsigned char c = cursor.take_next();
    cursor.text.clear();
    switch (c) {
      case 'n':
        articulation_ = kNormal;
        break;
      case 'l':
        articulation_ = kLegato;
        break;
      case 's':
        articulation_ = kStaccato;
        break;
      case 't':
        articulation_ = kTenu;
        break;
      case 0:
        break;  // `m` at the very end
      default:
        set_expression_mark(c);
    }
    return Step::kWatched;
  }

  // An expression mark is announced just before its note plays, so it goes
  // with the note that follows it; it never takes the place of a group
  // bracket, which changes how the notes sound.
  void set_expression_mark(unsigned char c) {
    if (!marks_) return;
    std::uint8_t& mark = (*marks_)[next_position()];
    if (!is_group_start(mark) && !is_group_end(mark)) mark = c;
  }

  Step group_start(Cursor& cursor) {
    if (marks_) (*marks_)[next_position()] = cursor.at(cursor.i);
    return Step::kWatched;
  }

  Step group_end(Cursor& cursor) {
    if (marks_) (*marks_)[static_cast<std::size_t>(count_)] = cursor.at(cursor.i);
    return Step::kWatched;
  }

  // Where the next note read will go: a note read when the list is full
  // replaces the last entry.
  std::size_t next_position() const {
    return static_cast<std::size_t>(count_ < kListCapacity ? count_ + 1 : kListCapacity);
  }

  void add_note(std::int8_t note) {
    if (sink_ && count_ == kBatchNotes) hand_on(false);
    const std::size_t k = next_position();
    count_ = static_cast<int>(k);
    notes_[k] = note;
    durations_[k] = static_cast<std::uint32_t>(run_.settings.dur) * kDurationUnit;
    if (articulations_) (*articulations_)[k] = articulation_;
  }

  RunState& run_;  // the settings the tokens change, the output an instrument is sent to
  const bool playing_;
  const bool transpose_;  // whether notes take trans as they are read
  Notes& notes_;
  Durations& durations_;
  Bytes* articulations_;
  Bytes* marks_;
  ReadingWatcher* watcher_;
  int running_octave_ = 3;
  int count_ = 0;
  int separators_ = 0;
  std::uint8_t articulation_ = kNormal;
  // A reading handed on a list at a time: the list, where it goes, and
  // whether this pass's notes are dropped (the reading will start again).
  NoteList* batch_ = nullptr;
  NoteSink* sink_ = nullptr;
  bool discarding_ = false;
  bool dry_ = false;  // only finds whether a key signature restarts the reading
};

constexpr TokenReader::HandlerTable TokenReader::kMaterialTable = TokenReader::make_table(false);
constexpr TokenReader::HandlerTable TokenReader::kPlayingTable = TokenReader::make_table(true);

}  // namespace

int read_tablature(RunState& run, std::string_view text, Reader reader, Notes& notes,
                   Durations& durations, Bytes* articulations, Bytes* marks,
                   ReadingWatcher* watcher) {
  TokenReader token_reader(run, reader, notes, durations, articulations, marks, watcher);
  return token_reader.read(text);
}

int read_whole_tablature(RunState& run, std::string text, NoteList& batch, NoteSink& sink) {
  text.erase(std::remove(text.begin(), text.end(), '\0'), text.end());
  lower_ascii_in_place(text);
  TokenReader token_reader(run, Reader::kPlaying, batch.notes, batch.durations,
                           &batch.articulations, &batch.marks, nullptr);
  return token_reader.read_whole(text, batch, sink);
}

int parse_tablature(RunState& run, std::string_view text, Notes& notes, Durations& durations) {
  const int separators =
      read_tablature(run, text, Reader::kMaterial, notes, durations, nullptr, nullptr, nullptr);
  return static_cast<std::uint8_t>(separators);
}

void parse_material(RunState& run, std::string_view text, Notes& notes, Durations& durations) {
  TokenReader token_reader(run, Reader::kMaterial, notes, durations, nullptr, nullptr, nullptr,
                           false);
  token_reader.read(text);
}

int apply_key_signature(PlaySettings& settings, std::string& text, std::string& out) {
  text = lower_ascii(c_text(text, kTextCapacity));
  if (text.size() < kTextCapacity) text.push_back(' ');
  KeySignatureRewrite rewrite(settings, text, false, out, kTextCapacity);
  return rewrite.run();
}

namespace {

// The label of an indication that changes no setting.
const char* plain_indication_label(char kind) {
  switch (kind) {
    case 'c':
      return "conseil";
    case 'd':
      return "doigt\xE9";
    case 'h':
      return "harmonie";
    case 'p':
      return "paroles";
    case 'r':
      return "reprise";
    default:
      return "indication non trait\xE9"
             "e";
  }
}

}  // namespace

void apply_indication(RunState& run, char kind, std::string& text, std::string& label) {
  PlaySettings& s = run.settings;
  switch (kind) {
    case 'a':
      set_bounded(s.arma, text, kSettingCapacity);
      return;
    case 'i':
      s.instru = read_integer(text);
      program_change(run, s.instru);
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
      s.octa =
          static_cast<std::int8_t>(octave < 0 || octave > 8 ? default_settings().octa : octave);
      label = "octave";
      return;
    }
    case 't':
      s.trans = static_cast<std::int8_t>(read_integer(text));
      label = "transposition";
      return;
    case 'v':
      s.vol = read_integer(text);
      label = "volume";
      return;
    default:
      label = plain_indication_label(kind);
      return;
  }
}

}  // namespace velk0
