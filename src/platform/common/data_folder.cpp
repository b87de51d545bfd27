#include "platform/common/data_folder.h"

#include <filesystem>
#include <string>
#include <system_error>

#include "platform/common/cue_sounds.h"
#include "platform/common/file_writes.h"
#include "platform/common/text_encoding.h"
#include "platform/console.h"

namespace velk0::platform {
namespace {

namespace fs = std::filesystem;

// The data folder's name for a file of it.
std::string_view file_name(std::string_view system_path) {
  return system_path.substr(system_path.find_last_of('\\') + 1);
}

// Fills the new folder.
Written fill(const fs::path& folder, std::span<const SeedFile> seeds) {
  const std::string error_cue = std::string(kDataFolder) + std::string(kErrorCue);
  for (std::string_view cue : {kEditionCue, kEntryCue, std::string_view(error_cue)}) {
    Written written = replace_file(folder / file_name(cue), render_cue(cue));
    if (!written) return written;
  }
  for (const SeedFile& seed : seeds) {
    Written written =
        replace_file(folder / file_name(seed.system_path), text_file_bytes(seed.text));
    if (!written) return written;
  }
  return {};
}

// Makes the folder whole.
Written make_whole(const fs::path& folder, std::span<const SeedFile> seeds) {
  std::error_code error;
  fs::create_directories(folder.parent_path(), error);
  if (error) return {write_failure_cause(error)};
  const fs::path temporary = temporary_beside(folder);
  if (!fs::create_directory(temporary, error)) return {write_failure_cause(error)};
  Written written = fill(temporary, seeds);
  if (written) {
    fs::rename(temporary, folder, error);
    // Made meanwhile by another run: that one stands.
    if (error && !fs::exists(folder)) written = {write_failure_cause(error)};
  }
  std::error_code ignored;
  fs::remove_all(temporary, ignored);
  return written;
}

}  // namespace

void make_data_folder_at_first_use(const PathMapper& native, std::span<const SeedFile> seeds) {
  try {
    fs::path folder(native(kDataFolder));
    if (!folder.has_filename()) folder = folder.parent_path();
    std::error_code ignored;
    if (fs::exists(fs::symlink_status(folder, ignored))) return;
    const Written written = make_whole(folder, seeds);
    if (written) return;
    std::string line =
        "velk0 : impossible de cr\xE9"
        "er le dossier de donn\xE9"
        "es ";
    print_error_line(
        line.append(from_system_name(folder.string())).append(" : ").append(written.failure));
  } catch (const std::exception&) {
    // Out of memory: the program goes on without its data folder.
  }
}

}  // namespace velk0::platform
