// The desktop's clipboard through the standard command-line tools: wl-paste
// and wl-copy on Wayland, xclip or else xsel on X11. They need no window of
// the program's own and, once they hold a text, they keep offering it after
// the program that gave it has ended (which the copier needs: it ends at
// once). Texts are UTF-8 there, the program's own bytes here.
#pragma once

#include "platform/platform.h"

namespace velk0::platform::posix {

class ToolClipboard : public Clipboard {
 public:
  // The clipboard cannot be opened when no display is named in the
  // environment, no tool for it is installed, or none reaches its server.
  std::optional<std::string> read_text() override;
  bool open_as_owner(bool empty) override;
  bool write_text(std::string_view text) override;
};

}  // namespace velk0::platform::posix
