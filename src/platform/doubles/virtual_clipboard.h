#pragma once

#include <string>

#include "platform/platform.h"

namespace velk0::platform {

// A clipboard of the program's own, holding a text given at start
// (VELK0_CLIPBOARD): scripted sessions read it instead of the system's. An
// empty text is a clipboard that holds no text.
class VirtualClipboard : public Clipboard {
 public:
  explicit VirtualClipboard(std::string text) : text_(std::move(text)) {}
  std::optional<std::string> read_text() override { return text_.substr(0, kClipboardReadChars); }
  bool open_as_owner(bool empty) override {
    if (empty) text_.clear();
    return true;
  }
  bool write_text(std::string_view text) override {
    text_ = text;
    return true;
  }

 private:
  std::string text_;
};

}  // namespace velk0::platform
