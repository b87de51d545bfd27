#include <gtest/gtest.h>

#include "platform/posix/desktop/desktop_dialogs.h"

namespace velk0::platform::posix {
namespace {

// Where the boxes go for each setting, with or without a terminal attached, a
// display set and zenity installed; a line says why when the desktop was asked
// for and cannot be had.
TEST(DialogsChoice, TheDesktopOnlyWhenAskedOrUnattendedWithADisplayAndZenity) {
  constexpr auto automatic = DialogsPlace::automatic, desktop = DialogsPlace::desktop,
                 terminal = DialogsPlace::terminal;
  struct Case {
    DialogsPlace place;
    bool attached, display, zenity;
    bool on_desktop;
    const char* note;  // a part of the line, or "" for none
  } cases[] = {
      {automatic, false, true, true, true, ""},
      {automatic, true, true, true, false, ""},
      {automatic, false, false, true, false, ""},
      {automatic, false, true, false, false, "zenity est introuvable"},
      {desktop, true, true, true, true, ""},
      {desktop, true, false, true, false, "ni WAYLAND_DISPLAY ni DISPLAY"},
      {desktop, false, true, false, false, "zenity est introuvable"},
      {terminal, false, true, true, false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << static_cast<int>(c.place) << c.attached << c.display << c.zenity);
    auto zenity = c.zenity ? std::optional<std::string>("/usr/bin/zenity") : std::nullopt;
    DialogsChoice choice = choose_dialogs(c.place, c.attached, c.display, zenity);
    EXPECT_EQ(choice.zenity.has_value(), c.on_desktop);
    if (*c.note)
      EXPECT_NE(choice.note.find(c.note), std::string::npos) << choice.note;
    else
      EXPECT_EQ(choice.note, "");
  }
}

}  // namespace
}  // namespace velk0::platform::posix
