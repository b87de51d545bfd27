// Files written whole or not at all, and why a write failed, in French.
//
// A file is written into a temporary file in its own folder, checked, and
// only then renamed onto its name: a full disk or a stopped program leaves
// the file as it was, never cut short.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/platform.h"

namespace velk0::platform {

// Why a write failed, in French (the program's bytes), from the system's
// error: "plus de place sur le disque", "accès refusé"...
std::string write_failure_cause(const std::error_code& error);

// The error of the C library's last failed call (an input/output error when
// it left none).
std::error_code last_system_error();

// A name for a temporary file beside `path`, in the same folder, that no
// other file has.
std::filesystem::path temporary_beside(const std::filesystem::path& path);

// Where a write to `path` goes: through symbolic links, the file the last one
// points to, made by the write when it is not there yet. `failure` says why
// not when a folder or a device stands in its place, or the links loop.
struct WriteTarget {
  std::filesystem::path path;
  std::string failure;
};
WriteTarget write_target(const std::filesystem::path& path);

// Puts `bytes` into the file at `path`, whole; when it cannot, the file is as
// it was.
Written replace_file(const std::filesystem::path& path, std::string_view bytes);

// The start of every line that says something could not be written, in the
// program's bytes: "PROGRAM : impossible d'\xE9crire WHAT".
std::string unwritable_line(std::string_view program, std::string_view what);

// One French line on standard error: the program's file at `system_path`
// could not be written, and why (`failure`).
void report_write_failure(std::string_view system_path, std::string_view failure);

// Renames `from` onto `to`, in place of any file of that name.
std::error_code rename_onto(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace velk0::platform
