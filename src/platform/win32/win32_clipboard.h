// The Windows clipboard, text in the ANSI code page (CF_TEXT).
#pragma once

#include <optional>
#include <string>

#include "platform/platform.h"

namespace velk0::platform::win32 {

class Win32Clipboard : public Clipboard {
 public:
  std::optional<std::string> read_text() override;
  // Opens the clipboard with its current owner's window.
  bool open_as_owner(bool empty) override;
  bool write_text(std::string_view text) override;
};

}  // namespace velk0::platform::win32
