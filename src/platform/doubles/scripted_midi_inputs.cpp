#include "platform/doubles/scripted_midi_inputs.h"

#include <cstdlib>
#include <sstream>

#include "platform/common/text_encoding.h"
#include "platform/console.h"
#include "platform/system.h"

namespace velk0::platform {
namespace {

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> read_whole(const std::string& path) {
  ReadOnlyFile file(path);
  if (!file.is_open()) return std::nullopt;
  std::string text;
  char buffer[4096];
  for (;;) {
    const long long got = file.read(buffer, sizeof buffer);
    if (got < 0) return std::nullopt;
    if (got == 0) return text;
    text.append(buffer, static_cast<std::size_t>(got));
  }
}

// A decimal number from 0 to `most`, alone in its word.
std::optional<unsigned long> number(const std::string& word, unsigned long most) {
  if (word.empty() || word.find_first_not_of("0123456789") != word.npos || word.size() > 9)
    return std::nullopt;
  const unsigned long value = std::strtoul(word.c_str(), nullptr, 10);
  if (value > most) return std::nullopt;
  return value;
}

}  // namespace

ScriptedMidiInputs::ScriptedMidiInputs(const std::string& path, Clock& clock) : clock_(clock) {
  const std::optional<std::string> text = read_whole(path);
  if (!text) {
    print_error_line("velk0 : impossible de lire le clavier de VELK0_MIDI_IN (" +
                     from_system_name(path) + ")");
    return;
  }
  std::istringstream lines(*text);
  int number_of_line = 0;
  for (std::string line; std::getline(lines, line);) {
    ++number_of_line;
    if (!read_line(line))
      print_error_line("velk0 : VELK0_MIDI_IN, ligne " + std::to_string(number_of_line) +
                       " sans effet : " + from_utf8(line));
  }
}

bool ScriptedMidiInputs::read_line(std::string_view line) {
  line = line.substr(0, line.find('#'));
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  if (line.empty()) return true;
  if (line.starts_with("input ")) {
    names_.push_back(from_utf8(line.substr(6)));
    return true;
  }
  std::istringstream words{std::string(line)};
  std::vector<std::string> word;
  for (std::string w; words >> w;) word.push_back(w);
  const std::optional<unsigned long> ms = number(word[0], 999'999'999);
  if (!ms || word.size() < 2) return false;
  Event event;
  event.ms = events_.empty() ? *ms : std::max<std::uint64_t>(*ms, events_.back().ms);
  if (word.size() == 2 && (word[1] == "unplug" || word[1] == "replug")) {
    event.kind = word[1] == "unplug" ? Kind::unplug : Kind::replug;
  } else if (word.size() == 3 && word[1] == "key" && (word[2] == "q" || word[2] == "escape")) {
    event.kind = Kind::quit;
  } else {
    std::optional<unsigned long> bytes[3] = {number(word[1], 255)};
    for (std::size_t i = 2; i < word.size() && i < 4; ++i) bytes[i - 1] = number(word[i], 127);
    const MidiMessage message{static_cast<std::uint8_t>(bytes[0].value_or(0)),
                              static_cast<std::uint8_t>(bytes[1].value_or(0)),
                              static_cast<std::uint8_t>(bytes[2].value_or(0))};
    const std::size_t given = word.size() - 1;
    if (given > 3 || message.length() != given || !bytes[0] || !bytes[1] ||
        (given == 3 && !bytes[2]))
      return false;
    event.message = message;
  }
  events_.push_back(event);
  return true;
}

std::string ScriptedMidiInputs::name(unsigned index) {
  return index < names_.size() ? names_[index] : std::string();
}

bool ScriptedMidiInputs::open(unsigned index, MidiSink& sink) {
  sink_ = nullptr;
  if (index >= names_.size()) return false;
  sink_ = &sink;
  opened_at_ = clock_.now_ms();
  next_ = 0;
  return true;
}

void ScriptedMidiInputs::wait_until(std::uint64_t ms) {
  const std::uint64_t now = clock_.now_ms();
  if (ms > now)
    clock_.wait_ms(static_cast<std::uint32_t>(std::min<std::uint64_t>(ms - now, UINT32_MAX)));
}

Awoken ScriptedMidiInputs::wait(std::optional<std::uint64_t> until_ms) {
  if (!sink_ || next_ == events_.size()) {
    if (!until_ms) return Awoken::quit;
    wait_until(*until_ms);
    return Awoken::due;
  }
  const std::uint64_t at = opened_at_ + events_[next_].ms;
  if (until_ms && *until_ms < at) {
    wait_until(*until_ms);
    return Awoken::due;
  }
  wait_until(at);
  for (; next_ < events_.size() && opened_at_ + events_[next_].ms == at; ++next_) {
    const Event& event = events_[next_];
    if (event.kind == Kind::quit) {
      ++next_;
      return Awoken::quit;
    }
    if (event.kind == Kind::unplug) sink_->port_lost();
    if (event.kind == Kind::replug) sink_->port_back();
    if (event.kind == Kind::message) sink_->received(event.message, std::max(at, clock_.now_ms()));
  }
  return Awoken::handed;
}

}  // namespace velk0::platform
