#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace velk0 {

using platform::kPageSize;

// Files are reached through the platform's; a file that cannot be read is
// told in a box.

// Reads page `page` (from 1) of a text file into `dst`; returns the number of
// characters read, 0 (after a box) when the file cannot be opened; `opened`,
// when given, tells an empty file from one that could not be opened.
int read_text_file(platform::Platform& platform, std::string& dst, int page, std::string_view path,
                   bool* opened = nullptr);

// The whole text of a file, read once, zero bytes left out. Nothing when the
// file cannot be opened, after the reader's box only when `report` is set.
std::optional<std::string> read_whole_text(platform::Platform& platform, std::string_view path,
                                           bool report);

// Reads a text file line after line as the C library's line reader does with
// room for `longest` characters: each line is handed to `each` with its line
// end, a longer line in pieces of `longest` characters, the last line with
// no line end as it stands, until `each` returns false. Zero bytes are handed
// on too. False, with no box, when the file cannot be opened.
bool read_text_lines(platform::Files& files, std::string_view path, std::size_t longest,
                     const std::function<bool(std::string_view line)>& each);

// Replaces the file with `text`; 0, or 1 when it cannot be written, after one
// line on standard error that names the file and says why (the dialogues go
// on as if it had been written).
int write_text_file(platform::Files& files, std::string_view text, std::string_view path);

}  // namespace velk0
