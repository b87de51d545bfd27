#include "platform/common/cue_sounds.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <system_error>
#include <vector>

#include "platform/common/data_folder.h"
#include "platform/common/file_writes.h"
#include "platform/common/wav_header.h"

namespace velk0::platform {
namespace {

constexpr int kSampleRate = 22050;
constexpr double kPi = 3.14159265358979323846;
constexpr double kAttackSeconds = 0.006;
constexpr double kReleaseSeconds = 0.025;

// One tone of a cue: when it starts and how long it lasts (seconds), its
// pitch (Hz), its level (0..1) and how fast it fades (seconds for 1/e; 0:
// it holds).
struct Tone {
  double start, length, frequency, level, decay;
};

// The relative levels of the harmonics 1, 2, 3...: the colour of a cue.
using Partials = std::span<const double>;

struct Recipe {
  std::span<const Tone> tones;
  Partials partials;
};

// Soft confirmation: two quiet bell-like notes a fourth apart (G, then C).
constexpr Tone kEditionTones[] = {{0.0, 0.22, 784.0, 0.30, 0.09}, {0.09, 0.30, 1046.5, 0.30, 0.12}};
constexpr double kEditionPartials[] = {1.0, 0.22, 0.06};

// Rising call: the notes of a C major chord going up to the octave.
constexpr Tone kEntryTones[] = {{0.0, 0.14, 523.25, 0.30, 0.0},
                                {0.12, 0.14, 659.25, 0.30, 0.0},
                                {0.24, 0.14, 783.99, 0.30, 0.0},
                                {0.36, 0.34, 1046.5, 0.32, 0.2}};
constexpr double kEntryPartials[] = {1.0, 0.35, 0.15};

// Low double tone: the same low G twice, reedy.
constexpr Tone kErrorTones[] = {{0.0, 0.16, 196.0, 0.34, 0.0}, {0.24, 0.16, 196.0, 0.34, 0.0}};
constexpr double kErrorPartials[] = {1.0, 0.6, 0.45, 0.3, 0.15};

double envelope(const Tone& tone, double t) {
  double level = tone.level;
  if (t < kAttackSeconds) level *= t / kAttackSeconds;
  if (tone.decay > 0) level *= std::exp(-t / tone.decay);
  const double left = tone.length - t;
  if (left < kReleaseSeconds) level *= std::max(left, 0.0) / kReleaseSeconds;
  return level;
}

std::vector<std::int16_t> synthesize(const Recipe& recipe) {
  double end = 0;
  for (const Tone& tone : recipe.tones) end = std::max(end, tone.start + tone.length);
  double weight = 0;
  for (double p : recipe.partials) weight += p;
  std::vector<double> mix(static_cast<std::size_t>(end * kSampleRate) + 1, 0.0);
  for (const Tone& tone : recipe.tones) {
    const auto first = static_cast<std::size_t>(tone.start * kSampleRate);
    const auto count = static_cast<std::size_t>(tone.length * kSampleRate);
    for (std::size_t i = 0; i < count && first + i < mix.size(); ++i) {
      const double t = static_cast<double>(i) / kSampleRate;
      double sample = 0;
      for (std::size_t h = 0; h < recipe.partials.size(); ++h)
        sample += recipe.partials[h] * std::sin(2 * kPi * tone.frequency * (h + 1) * t);
      mix[first + i] += envelope(tone, t) * sample / weight;
    }
  }
  std::vector<std::int16_t> samples(mix.size());
  for (std::size_t i = 0; i < mix.size(); ++i)
    samples[i] = static_cast<std::int16_t>(std::lround(std::clamp(mix[i], -1.0, 1.0) * 32767));
  return samples;
}

void put_le(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A mono 16-bit PCM WAV file of the samples.
std::string wav_file(const std::vector<std::int16_t>& samples) {
  const auto header = wav_header(kSampleRate, 1, samples.size() * kWavBytesPerSample);
  std::string out(header.begin(), header.end());
  for (std::int16_t s : samples) put_le(out, static_cast<std::uint16_t>(s), 2);
  return out;
}

bool is_bare_name(std::string_view path) {
  return path.find_first_of("\\/:") == std::string_view::npos;
}

bool exists(const std::string& native_path) {
  std::error_code ignored;
  return std::filesystem::exists(native_path, ignored);
}

std::uint32_t get_le32(std::string_view bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
  return value;
}

// A cue file that must be written (again): missing, or no whole WAV file, as
// one cut short by a full disk is.
bool needs_writing(const std::string& native_path) {
  constexpr std::size_t kHeader = 12;
  std::error_code ignored;
  const auto status = std::filesystem::status(native_path, ignored);
  if (!std::filesystem::exists(status)) return true;
  if (!std::filesystem::is_regular_file(status)) return false;  // no cue of the program's
  std::ifstream in(native_path, std::ios::binary | std::ios::ate);
  if (!in) return false;
  const auto size = static_cast<std::uint64_t>(in.tellg());
  std::string head(kHeader, '\0');
  in.seekg(0);
  if (size < kHeader || !in.read(head.data(), kHeader)) return true;
  return !head.starts_with("RIFF") || head.substr(8, 4) != "WAVE" ||
         std::uint64_t{get_le32(head, 4)} + 8 > size;
}

// Writes the cue whole into its folder, when that folder is there (it is made
// whole at the first use, see data_folder.h), through a symbolic link onto
// the file it points to (done when there is no folder). A cue that cannot be
// written is not played, as any missing cue.
Written install(const std::string& native_path, const std::string& bytes) {
  const std::filesystem::path path(native_path);
  std::error_code ignored;
  if (!std::filesystem::is_directory(path.parent_path(), ignored)) return {};
  const WriteTarget target = write_target(path);
  if (!target.failure.empty()) return {target.failure};
  return replace_file(target.path, bytes);
}

// The recipe of a shipped cue; null for any other name.
const Recipe* recipe_for(std::string_view system_path) {
  static constexpr Recipe kEdition{kEditionTones, kEditionPartials};
  static constexpr Recipe kEntry{kEntryTones, kEntryPartials};
  static constexpr Recipe kError{kErrorTones, kErrorPartials};
  std::string_view name = system_path;
  if (name.starts_with(kDataFolder)) name.remove_prefix(kDataFolder.size());
  if (system_path == kEditionCue) return &kEdition;
  if (system_path == kEntryCue) return &kEntry;
  if (name == kErrorCue) return &kError;
  return nullptr;
}

}  // namespace

std::string render_cue(std::string_view system_path) {
  const Recipe* recipe = recipe_for(system_path);
  return recipe ? wav_file(synthesize(*recipe)) : std::string();
}

CueFile ShippedCues::play(std::string_view system_path) {
  std::string path(system_path);
  CueFile installed;
  if (recipe_for(path) != nullptr) {
    if (is_bare_name(path) && !exists(native_(path))) path = std::string(kDataFolder) + path;
    if (!is_bare_name(path) && needs_writing(native_(path)))
      installed = {path, install(native_(path), render_cue(path))};
  }
  inner_->play(path);
  return installed;
}

}  // namespace velk0::platform
