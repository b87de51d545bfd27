// Text files in text mode: a carriage return before a line feed is dropped
// on reading, a line feed is written as carriage return and line feed.
//
// Only regular files are read or written: a folder, a FIFO or a device is a
// file that cannot be opened, and opening one never waits. A file is written
// whole or not at all (see file_writes.h), through a symbolic link onto the
// file it points to, in the program's own bytes; a file read is taken as
// UTF-8 when it says so with a byte-order mark or is all well-formed UTF-8
// beyond ASCII (as a Linux editor saves it), and converted; otherwise its
// bytes are the program's own.
// Pages are counted in characters after that conversion. A read that fails
// part way gives nothing, as a file that cannot be opened does.
#pragma once

#include <functional>
#include <string>

#include "platform/platform.h"

namespace velk0::platform {

using PathMapper = std::function<std::string(std::string_view system_path)>;

class StdFiles : public Files {
 public:
  explicit StdFiles(PathMapper native) : native_(std::move(native)) {}
  std::optional<TextPage> read_text(std::string_view path, int page) override;
  bool read_stream(std::string_view path,
                   const std::function<bool(std::string_view)>& take) override;
  Written write_text(std::string_view path, std::string_view text) override;

 private:
  PathMapper native_;
};

// The bytes of a text written in text mode: each line feed after a carriage
// return.
std::string text_file_bytes(std::string_view text);

// A system path on a POSIX system, in UTF-8. A path that begins with a
// backslash is taken from `root`, its backslashes read as slashes. Any other
// name is taken as given when something bears that name, backslashes and
// all; otherwise its backslashes are read as slashes, as Windows reads them.
std::string posix_native_path(std::string_view system_path, std::string_view root);

}  // namespace velk0::platform
