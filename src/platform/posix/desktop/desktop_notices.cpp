#include "platform/posix/desktop/desktop_notices.h"

#include <vector>

#include "platform/common/text_encoding.h"
#include "platform/console.h"
#include "platform/posix/processes/processes.h"

namespace velk0::platform::posix {

bool DesktopNotices::show(std::string_view text) {
  if (!looked_) {
    looked_ = true;
    tool_ = find_program("notify-send");
    if (!tool_)
      print_error_line(
          "velk0 : notify-send est introuvable (paquet libnotify-bin) : rien ne sera montr\xE9 "
          "sur le bureau");
  }
  if (!tool_) return false;
  // Started and let go: the listening never waits for the desktop.
  return start_detached(
      {*tool_, "--app-name=" + program_, "--urgency=low", "--hint=int:transient:1",
       "--hint=string:x-canonical-private-synchronous:" + program_, "--", to_utf8(text)});
}

}  // namespace velk0::platform::posix
