// The data folder, \korvane\ in the program's paths, as the program makes it
// at its first use.
#pragma once

#include <span>
#include <string_view>

#include "platform/common/std_files.h"
#include "platform/entry.h"

namespace velk0::platform {

inline constexpr std::string_view kDataFolder = "\\korvane\\";

// When the data folder does not exist at all, makes it whole, with the
// shipped cues and the seed files: they are written into a temporary folder
// beside it, which is then renamed, so that the folder is there complete or
// not at all. A data folder that exists, even empty, is left as it is. When
// it cannot be made, one French line on standard error says why, and the
// program goes on without it.
void make_data_folder_at_first_use(const PathMapper& native, std::span<const SeedFile> seeds);

}  // namespace velk0::platform
