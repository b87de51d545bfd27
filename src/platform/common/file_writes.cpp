#include "platform/common/file_writes.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/console.h"
#include "platform/system.h"

namespace velk0::platform {
namespace {

namespace fs = std::filesystem;

struct Cause {
  std::errc error;
  std::string_view text;
};

constexpr std::array kCauses{
    Cause{std::errc::no_space_on_device, "plus de place sur le disque"},
    Cause{std::errc::permission_denied, "acc\xE8s refus\xE9"},
    Cause{std::errc::operation_not_permitted, "acc\xE8s refus\xE9"},
    Cause{std::errc::read_only_file_system, "disque en lecture seule"},
    Cause{std::errc::no_such_file_or_directory, "dossier introuvable"},
    Cause{std::errc::not_a_directory, "un \xE9l\xE9ment du chemin n'est pas un dossier"},
    Cause{std::errc::is_a_directory, "c'est un dossier"},
    Cause{std::errc::operation_not_supported, "ce n'est pas un fichier ordinaire"},
    Cause{std::errc::file_too_large, "fichier trop grand"},
    Cause{std::errc::filename_too_long, "nom trop long"},
    Cause{std::errc::too_many_symbolic_link_levels, "trop de liens symboliques"},
    Cause{std::errc::too_many_files_open, "trop de fichiers ouverts"},
    Cause{std::errc::not_enough_memory, "m\xE9moire insuffisante"},
    Cause{std::errc::io_error,
          "erreur d'entr\xE9"
          "e-sortie"},
};

// Links followed from a name before a write gives up, as many as Linux
// follows when it opens a file.
constexpr int kMostLinks = 40;

// The name at the end of the symbolic links from `path`, followed one at a
// time, whether a file bears it yet or not: a link's relative target is taken
// from the link's own folder. `error` says why not on a loop or a link that
// cannot be read.
fs::path end_of_links(fs::path path, std::error_code& error) {
  for (int links = 0;; ++links) {
    std::error_code ignored;
    if (!fs::is_symlink(fs::symlink_status(path, ignored))) return path;
    if (links == kMostLinks) {
      error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
      return path;
    }
    const fs::path pointed = fs::read_symlink(path, error);
    if (error) return path;
    path = path.parent_path() / pointed;  // an absolute target takes the whole place
  }
}

std::error_code write_new_file(const fs::path& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.string().c_str(), "wb");
  if (!file) return last_system_error();
  std::error_code error;
  if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fflush(file) != 0)
    error = last_system_error();
  if (std::fclose(file) != 0 && !error) error = last_system_error();
  return error;
}

}  // namespace

std::string write_failure_cause(const std::error_code& error) {
  for (const Cause& cause : kCauses)
    if (error == cause.error) return std::string(cause.text);
  if (std::string cause = system_write_failure(error); !cause.empty()) return cause;
  return "erreur du syst\xE8me " + std::to_string(error.value());
}

std::error_code last_system_error() {
  const int error = errno;
  return std::error_code(error != 0 ? error : EIO, std::generic_category());
}

fs::path temporary_beside(const fs::path& path) {
  std::random_device random;
  fs::path temporary = path;
  for (;;) {
    std::string name(".");
    name.append(path.filename().string()).append(".").append(std::to_string(random()));
    temporary.replace_filename(name.append(".tmp"));
    std::error_code ignored;
    if (!fs::exists(fs::symlink_status(temporary, ignored))) return temporary;
  }
}

std::error_code rename_onto(const fs::path& from, const fs::path& to) {
  std::error_code error;
  fs::rename(from, to, error);
  if (error == std::errc::file_exists) {
    // Where a rename cannot replace a file, the old one goes first.
    std::error_code ignored;
    fs::remove(to, ignored);
    error.clear();
    fs::rename(from, to, error);
  }
  return error;
}

std::string unwritable_line(std::string_view program, std::string_view what) {
  std::string line(program);
  return line.append(" : impossible d'\xE9").append("crire ").append(what);
}

void report_write_failure(std::string_view system_path, std::string_view failure) {
  print_error_line(unwritable_line("velk0", system_path).append(" : ").append(failure));
}

WriteTarget write_target(const fs::path& path) {
  std::error_code error;
  WriteTarget target{end_of_links(path, error), {}};
  if (error) {
    target.failure = write_failure_cause(error);
    return target;
  }
  const fs::file_status status = fs::status(target.path, error);
  if (fs::is_directory(status))
    target.failure = write_failure_cause(std::make_error_code(std::errc::is_a_directory));
  else if (fs::exists(status) && !fs::is_regular_file(status))
    target.failure = write_failure_cause(std::make_error_code(std::errc::operation_not_supported));
  return target;
}

Written replace_file(const fs::path& path, std::string_view bytes) {
  const fs::path temporary = temporary_beside(path);
  std::error_code error = write_new_file(temporary, bytes);
  if (!error) error = rename_onto(temporary, path);
  if (!error) return {};
  std::error_code ignored;
  fs::remove(temporary, ignored);
  return {write_failure_cause(error)};
}

}  // namespace velk0::platform
