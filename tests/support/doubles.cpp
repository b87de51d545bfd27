#include "doubles.h"

#include <algorithm>

namespace velk0::testing {

void FakeMidiDevices::send(std::uint32_t word) {
  if (((word >> 8) & 0x80) || ((word >> 16) & 0x80)) ++bad_data_bytes_;
}

unsigned FakeMedia::step(const std::string& op) {
  auto failure = failures_.find(op);
  return failure == failures_.end() ? 0 : failure->second;
}

unsigned FakeMedia::port(int& port) {
  port = 0;
  return step("status");
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
