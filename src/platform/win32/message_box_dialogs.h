// Modal boxes through MessageBoxExA, with no owner window and language 0.
#pragma once

#include "platform/platform.h"

namespace velk0::platform::win32 {

class MessageBoxDialogs : public Dialogs {
 public:
  int show(BoxStyle style, std::string_view text, std::string_view caption) override;
};

}  // namespace velk0::platform::win32
