#include "platform/doubles/trace.h"

#include <algorithm>
#include <climits>
#include <string>

#include "platform/common/text_encoding.h"

namespace velk0::platform {
namespace {

const char* style_name(BoxStyle style) {
  switch (style) {
    case BoxStyle::info:
      return "info";
    case BoxStyle::choice:
      return "choice";
    case BoxStyle::ok:
      return "ok";
  }
  return "ok";
}

const char* json_bool(bool value) { return value ? "true" : "false"; }

}  // namespace

void Trace::line(const std::string& body) {
  if (failed_) return;
  out_ << "{\"t\":" << clock_.now_ms() << ',' << body << "}\n";
  out_.flush();
  if (out_) return;
  failed_ = true;
  if (on_failure_) on_failure_();
}

void Trace::box(BoxStyle style, std::string_view text, std::string_view caption, int answer) {
  line(std::string("\"ev\":\"box\",\"style\":\"") + style_name(style) +
       "\",\"text\":" + json_string(text) + ",\"caption\":" + json_string(caption) +
       ",\"answer\":" + std::to_string(answer));
}

void Trace::open(unsigned device, int notes) {
  line("\"ev\":\"open\",\"device\":" + std::to_string(device) +
       ",\"notes\":" + std::to_string(notes));
}

void Trace::close() { line("\"ev\":\"close\""); }

void Trace::midi(std::optional<unsigned> device, platform::MidiMessage message) {
  line("\"ev\":\"midi\",\"device\":" + (device ? std::to_string(*device) : "null") +
       ",\"bytes\":[" + std::to_string(message.status) + ',' + std::to_string(message.data1) + ',' +
       std::to_string(message.data2) + ']');
}

void Trace::wait(std::uint32_t ms) { line("\"ev\":\"wait\",\"ms\":" + std::to_string(ms)); }

void Trace::sound(std::string_view path) { line("\"ev\":\"sound\",\"path\":" + json_string(path)); }

void Trace::file(std::string_view op, std::string_view path, int chars) {
  line("\"ev\":\"file\",\"op\":" + json_string(op) + ",\"path\":" + json_string(path) +
       ",\"chars\":" + std::to_string(chars));
}

void Trace::media(std::string_view op, unsigned error, std::string_view extra) {
  std::string body = "\"ev\":\"media\",\"op\":" + json_string(op);
  body += extra;
  if (error != 0) body += ",\"error\":" + std::to_string(error);
  line(body);
}

void Trace::clipboard_read(const std::optional<std::string>& text) {
  line("\"ev\":\"clipboard\",\"op\":\"read\",\"text\":" +
       (text ? json_string(*text) : std::string("null")));
}

void Trace::clipboard_open(bool ok) {
  line(std::string("\"ev\":\"clipboard\",\"op\":\"open\",\"ok\":") + json_bool(ok));
}

void Trace::clipboard_empty() { line("\"ev\":\"clipboard\",\"op\":\"empty\""); }

void Trace::clipboard_write(std::string_view text, bool ok) {
  line("\"ev\":\"clipboard\",\"op\":\"write\",\"text\":" + json_string(text) +
       ",\"ok\":" + json_bool(ok));
}

void Trace::exec(std::string_view command, bool started) {
  line("\"ev\":\"exec\",\"command\":" + json_string(command) +
       ",\"started\":" + json_bool(started));
}

void Trace::input(std::string_view op, std::string_view extra) {
  line("\"ev\":\"input\",\"op\":" + json_string(op) + std::string(extra));
}

void Trace::heard(platform::MidiMessage message, std::uint64_t at) {
  line("\"ev\":\"heard\",\"at\":" + std::to_string(at) + ",\"bytes\":[" +
       std::to_string(message.status) + ',' + std::to_string(message.data1) + ',' +
       std::to_string(message.data2) + ']');
}

void Trace::notice(std::string_view text, bool shown) {
  line("\"ev\":\"notice\",\"text\":" + json_string(text) + ",\"shown\":" + json_bool(shown));
}

int TracedDialogs::show(BoxStyle style, std::string_view text, std::string_view caption) {
  int answer = 0;
  try {
    answer = inner_.show(style, text, caption);
  } catch (...) {
    trace_.box(style, text, caption, 0);  // shown, but never answered
    throw;
  }
  trace_.box(style, text, caption, answer);
  return answer;
}

bool TracedMidi::open(unsigned index) {
  bool opened = inner_.open(index);
  if (opened) {
    device_ = index;
    trace_.open(index, inner_.notes(index));
  }
  return opened;
}

void TracedMidi::send(platform::MidiMessage message) {
  trace_.midi(device_, message);
  inner_.send(message);
}

void TracedMidi::close() {
  bool was_open = device_.has_value();
  inner_.close();
  device_.reset();
  if (was_open) trace_.close();
}

void TracedClock::wait_ms(std::uint32_t ms) {
  trace_.wait(ms);
  inner_.wait_ms(ms);
}

CueFile TracedSounds::play(std::string_view path) {
  trace_.sound(path);
  return inner_.play(path);
}

unsigned TracedMedia::step(std::string_view op, unsigned error) {
  trace_.media(op, error);
  return error;
}

unsigned TracedMedia::open(MediaType type, std::string_view path) {
  if (open_) close();
  unsigned error = inner_.open(type, path);
  open_ = error == 0;
  const char* name = type == MediaType::sequencer ? "sequencer" : "waveaudio";
  trace_.media("open", error,
               std::string(",\"type\":\"") + name + "\",\"path\":" + json_string(path));
  return error;
}

unsigned TracedMedia::port(int& port) {
  unsigned error = inner_.port(port);
  trace_.media("status", error, error == 0 ? ",\"port\":" + std::to_string(port) : "");
  return error;
}

unsigned TracedMedia::play() { return step("play", inner_.play()); }
unsigned TracedMedia::pause() { return step("pause", inner_.pause()); }
unsigned TracedMedia::resume() { return step("resume", inner_.resume()); }
unsigned TracedMedia::seek_start() { return step("seek", inner_.seek_start()); }

unsigned TracedMedia::close() {
  unsigned error = inner_.close();
  if (open_) trace_.media("close", error);
  open_ = false;
  return error;
}

std::optional<TextPage> TracedFiles::read_text(std::string_view path, int page) {
  auto result = inner_.read_text(path, page);
  trace_.file("read", path, result ? result->count : 0);
  return result;
}

bool TracedFiles::read_stream(std::string_view path,
                              const std::function<bool(std::string_view)>& take) {
  long long chars = 0;
  bool opened = inner_.read_stream(path, [&](std::string_view piece) {
    chars += static_cast<long long>(piece.size());
    return take(piece);
  });
  trace_.file("read", path, static_cast<int>(std::min<long long>(chars, INT_MAX)));
  return opened;
}

Written TracedFiles::write_text(std::string_view path, std::string_view text) {
  Written written = inner_.write_text(path, text);
  trace_.file("write", path, written ? static_cast<int>(text.size()) : 0);
  return written;
}

std::optional<std::string> TracedClipboard::read_text() {
  auto text = inner_.read_text();
  trace_.clipboard_read(text);
  return text;
}

bool TracedClipboard::open_as_owner(bool empty) {
  bool ok = inner_.open_as_owner(empty);
  trace_.clipboard_open(ok);
  if (ok && empty) trace_.clipboard_empty();
  return ok;
}

bool TracedClipboard::write_text(std::string_view text) {
  bool ok = inner_.write_text(text);
  trace_.clipboard_write(text, ok);
  return ok;
}

bool TracedPrograms::start(std::string_view command_line) {
  bool started = inner_.start(command_line);
  trace_.exec(command_line, started);
  return started;
}

bool TracedMidiInputs::open(unsigned index, MidiSink& sink) {
  const bool opened = inner_.open(index, sink_);
  outer_ = opened ? &sink : nullptr;
  trace_.input("open", ",\"index\":" + std::to_string(index) + ",\"name\":" +
                           json_string(inner_.name(index)) + ",\"ok\":" + json_bool(opened));
  return opened;
}

Awoken TracedMidiInputs::wait(std::optional<std::uint64_t> until_ms) {
  const Awoken awoken = inner_.wait(until_ms);
  if (awoken == Awoken::quit) trace_.input("quit");
  return awoken;
}

void TracedMidiInputs::close() {
  inner_.close();
  if (outer_) trace_.input("close");
  outer_ = nullptr;
}

void TracedMidiInputs::TracingSink::received(MidiMessage message, std::uint64_t ms) {
  owner_.trace_.heard(message, ms);
  if (owner_.outer_) owner_.outer_->received(message, ms);
}

void TracedMidiInputs::TracingSink::port_lost() {
  owner_.trace_.input("lost");
  if (owner_.outer_) owner_.outer_->port_lost();
}

void TracedMidiInputs::TracingSink::port_back() {
  owner_.trace_.input("back");
  if (owner_.outer_) owner_.outer_->port_back();
}

bool TracedNotices::show(std::string_view text) {
  const bool shown = inner_.show(text);
  trace_.notice(text, shown);
  return shown;
}

}  // namespace velk0::platform
