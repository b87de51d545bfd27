// Message boxes on the desktop: each box is a dialog window of zenity (GTK),
// which the accessibility bus (AT-SPI) exposes, so that a screen reader
// speaks the caption (the window's title), the text and the buttons "Oui",
// "Non" and "Annuler" (or "OK") as soon as the window takes the focus.
// Enter answers the first button, Escape cancels, as on Windows.
//
// zenity runs as a child for each box: velk0 stays free of any toolkit, and
// a run in a terminal never pays for starting one.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace velk0::platform::posix {

// Where the boxes go (VELK0_DIALOGS): `automatic` is the desktop when no
// terminal is attached and a display is set, the terminal otherwise.
enum class DialogsPlace { automatic, terminal, desktop };

// The boxes chosen: zenity's path when they go to the desktop, and the
// French line for standard error (the program's bytes) when the desktop was
// asked for and cannot be had (empty otherwise).
struct DialogsChoice {
  std::optional<std::string> zenity;
  std::string note;
};
// `attached`: one of the standard streams is a terminal; `display`: a Wayland
// or X11 display is set; `zenity`: where zenity is, when it is installed.
DialogsChoice choose_dialogs(DialogsPlace place, bool attached, bool display,
                             std::optional<std::string> zenity);

class DesktopDialogs : public Dialogs {
 public:
  // `fallback` takes the boxes once zenity has failed to show one.
  DesktopDialogs(std::string zenity, std::unique_ptr<Dialogs> fallback)
      : zenity_(std::move(zenity)), fallback_(std::move(fallback)) {}
  // Throws Interrupted when a signal asks the program to stop while a box is
  // up (the box is closed first).
  int show(BoxStyle style, std::string_view text, std::string_view caption) override;

 private:
  std::string zenity_;
  std::unique_ptr<Dialogs> fallback_;
  bool first_ = true;
  bool failed_ = false;
};

}  // namespace velk0::platform::posix
