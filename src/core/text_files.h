#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace velk0 {

using platform::kPageSize;

// Reads page `page` (from 1) of a text file into `dst`; returns the number of
// characters read, 0 (after a box) when the file cannot be opened; `opened`,
// when given, tells an empty file from one that could not be opened.
int read_text_file(std::string& dst, int page, std::string_view path, bool* opened = nullptr);

// Replaces the file with `text`; 0, or 1 when it cannot be created.
int write_text_file(std::string_view text, std::string_view path);

}  // namespace velk0
