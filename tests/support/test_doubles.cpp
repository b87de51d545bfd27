#include "test_doubles.h"

#include <algorithm>

namespace velk0::testing {

void FakeMidiDevices::send(platform::MidiMessage message) {
  if (message.seven_bit() != message) ++bad_data_bytes_;
}

unsigned FakeMedia::step(const std::string& op) {
  auto failure = failures_.find(op);
  return failure == failures_.end() ? 0 : failure->second;
}

unsigned FakeMedia::port(int& port) {
  port = 0;
  return step("status");
}

std::optional<platform::TextPage> MemoryFiles::read_text(std::string_view path, int page) {
  auto file = files.find(path);
  if (file == files.end()) return std::nullopt;
  platform::TextPage result;
  const std::size_t start = static_cast<std::size_t>(std::max(page - 1, 0)) * platform::kPageSize;
  if (start < file->second.size()) {
    const std::string_view read = std::string_view(file->second).substr(start, platform::kPageSize);
    result.count = static_cast<int>(read.size());
    for (char c : read)
      if (c != '\0') result.text += c;
  }
  return result;
}

bool MemoryFiles::read_stream(std::string_view path,
                              const std::function<bool(std::string_view)>& take) {
  auto file = files.find(path);
  if (file == files.end()) return false;
  const std::string_view text = file->second;
  const std::size_t step = std::max<std::size_t>(piece, 1);
  for (std::size_t at = 0; at < text.size(); at += step)
    if (!take(text.substr(at, step))) break;
  return true;
}

platform::Written MemoryFiles::write_text(std::string_view path, std::string_view text) {
  files[std::string(path)] = std::string(text);
  return {};
}

int CycleDialogs::show(platform::BoxStyle style, std::string_view, std::string_view) {
  if (style != platform::BoxStyle::choice || answers_.empty()) return platform::kAnswerOk;
  return answers_[next_++ % answers_.size()];
}

bool FakeClipboard::open_as_owner(bool empty) {
  if (!text) return false;
  if (empty) text->clear();
  return true;
}

bool FakeClipboard::write_text(std::string_view written) {
  if (!text) return false;
  text = std::string(written);
  return true;
}

bool FakePrograms::start(std::string_view command_line) {
  started.emplace_back(command_line);
  return std::find(installed.begin(), installed.end(), command_line) != installed.end();
}

}  // namespace velk0::testing
